#pragma once

#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "iec61850/acsi/model/NamedObject.h"

namespace Iec61850::Acsi {

class DataSet;

// Kinds of control blocks: the ACSI object classes, and two that stand for groups.
inline constexpr std::int32_t NoControlBlock = 0;
inline constexpr std::int32_t AnyReportControlBlock = 20;
inline constexpr std::int32_t AnyControlBlock = 21;

// The kind a control block's name shows (its start, in any case): "LCB" 12, "BRCB" 10,
// "URCB" 11, "SGCB" 13, "GOCB" 15, "GSCB" 16, "MSVCB" 17, "USVCB" 18; 0 for any other.
std::int32_t ControlBlockKindFromName(std::string_view name);

// A control block of the device model, below a functional-constraint group. It finds the
// values of its attributes among its children (Bind) and knows its data set, which it
// leaves when it goes and which tells it when it goes itself.
class ControlBlock : public NamedObject {
public:
    ControlBlock(NamedObject* parent, std::string name, Mms::MmsObject* mmsObject, DataSet* dataSet);
    ~ControlBlock() override;

    // A child item for every component of the block's structure.
    System::ResultCode Build() override;
    // Finds DatSet and resolves the data set it names (through the server's lookup).
    System::ResultCode Bind(const Mms::ModelHold& hold) override;
    // The block itself when the kind is its own, AnyControlBlock, or (report control
    // blocks) AnyReportControlBlock.
    System::ResultCode CollectByClass(std::int32_t objectClass, std::list<NamedObject*>& found) override;
    // Makes the block's variable (a structure) and, in subclasses, its attributes.
    virtual System::ResultCode Create();

    virtual std::int32_t GetKind() const = 0;

    DataSet* GetDataSet() const { return dataSet_; }
    // Attaches the block to the data set (leaving the one before); null detaches it.
    void SetDataSet(DataSet* dataSet);
    Mms::Container* GetDatSetValue() const { return datSet_; }

protected:
    // The value container of the child, or of the alternative when there is none of the
    // first name; GetChildValue's failure for the last name tried.
    System::ResultCode BindAttribute(std::string_view name, Mms::Container*& value);
    System::ResultCode BindAttribute(std::string_view name, std::string_view alternative, Mms::Container*& value);
    struct AttributeSpec {
        const char* name;
        Scl::BasicTypeCode code;
    };
    // A component variable of the basic type below the block's variable.
    System::ResultCode CreateAttribute(std::string_view name, Scl::BasicTypeCode code);
    // Each in order; the first failure ends.
    System::ResultCode CreateAttributes(std::initializer_list<AttributeSpec> attributes);

private:
    friend class DataSet;
    // The data set is going: forget it without telling it.
    void ForgetDataSet(const DataSet* dataSet);

    Mms::Container* datSet_ = nullptr;
    DataSet* dataSet_ = nullptr;
    // Attributes made for a block whose variable no domain holds.
    std::vector<std::unique_ptr<Mms::NamedVariable>> unfiledAttributes_;
};

}  // namespace Iec61850::Acsi
