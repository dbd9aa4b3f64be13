#pragma once

#include <map>
#include <string>

#include "iec61850/acsi/model/LogicalNode.h"

namespace Iec61850::Acsi {

class GoCB;
class GsCB;
class Log;
class MSVCB;
class SGCB;
class USVCB;

// The node "LLN0": a logical node that also indexes the device's setting-group, GOOSE,
// GSSE and sampled-value control blocks and its logs.
class LLN0 : public LogicalNode {
public:
    LLN0(LogicalDevice* device, Mms::MmsObject* mmsObject);
    ~LLN0() override;

    ModelClass GetModelClass() const override;
    void IndexControlBlock(NamedObject& block) override;

    System::ResultCode AddSGCB(const std::string& name, SGCB** added = nullptr);
    System::ResultCode AddGoCB(const std::string& name, GoCB** added = nullptr);
    System::ResultCode AddLog(const std::string& name, Log** added = nullptr);
    System::ResultCode AddGsCB(const std::string& name, GsCB** added = nullptr);
    System::ResultCode AddMSVCB(const std::string& name, MSVCB** added = nullptr);
    System::ResultCode AddUSVCB(const std::string& name, USVCB** added = nullptr);

    const std::map<std::string, SGCB*, std::less<>>& GetSGCBs() const { return sgcbs_; }
    const std::map<std::string, Log*, std::less<>>& GetLogs() const { return logs_; }
    const std::map<std::string, GoCB*, std::less<>>& GetGoCBs() const { return gocbs_; }
    const std::map<std::string, GsCB*, std::less<>>& GetGsCBs() const { return gscbs_; }
    const std::map<std::string, MSVCB*, std::less<>>& GetMSVCBs() const { return msvcbs_; }
    const std::map<std::string, USVCB*, std::less<>>& GetUSVCBs() const { return usvcbs_; }

protected:
    void ForgetIndexed(const NamedObject& object) override;

private:
    std::map<std::string, SGCB*, std::less<>> sgcbs_;
    std::map<std::string, Log*, std::less<>> logs_;
    std::map<std::string, GoCB*, std::less<>> gocbs_;
    std::map<std::string, GsCB*, std::less<>> gscbs_;
    std::map<std::string, MSVCB*, std::less<>> msvcbs_;
    std::map<std::string, USVCB*, std::less<>> usvcbs_;
};

}  // namespace Iec61850::Acsi
