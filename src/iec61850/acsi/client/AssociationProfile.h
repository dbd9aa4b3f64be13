#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>

#include "system/ResultCode.h"

namespace Iec61850::Acsi {

class AcsiStack;
class Server;

// One named parameter of a profile as the layers of a chain see it.
struct ProfileParameter {
    std::string value;
    // NotInitialized when made, OkNoError once a layer took it or gave its value,
    // InvalidArguments when no layer of the chain knows it.
    System::ResultCode status = System::NotInitialized;
};

// The addresses, selectors and time-outs with which a server's device is reached: named
// text parameters that every association made from the profile pushes into each layer of
// its chain after a reset, and reads back from them. The profile owns the stack its
// associations are made from.
//
// Besides the fourteen defaults a profile may carry "MmsTimeout" (milliseconds): the time
// the association waits for the initiate answer and for its own requests (10000 after a
// reset when the profile does not name it). Tests, the model reader and the program
// shorten it here.
class AssociationProfile {
public:
    static constexpr const char* DefaultName = "Client - Server profile";
    static constexpr const char* LoopbackAddress = "127.0.0.1";
    static constexpr const char* MmsTimeoutParameter = "MmsTimeout";

    // The fourteen defaults and a new stack of its own.
    explicit AssociationProfile(Server* server);
    ~AssociationProfile();
    AssociationProfile(const AssociationProfile&) = delete;
    AssociationProfile& operator=(const AssociationProfile&) = delete;

    // Sets the value (adding the parameter when it is new, status NotInitialized).
    void SetParameter(std::string_view name, std::string_view value);
    // The value of a parameter: OkNoError, or InvalidArguments when there is none.
    System::ResultCode GetParameter(std::string_view name, std::string& value) const;
    // The parameter's status, InvalidArguments when there is none.
    System::ResultCode GetStatus(std::string_view name) const;
    ProfileParameter* FindParameter(std::string_view name);

    // The values are pushed down and read back by the associations' threads (a release's
    // reset among them) while a caller may associate again or set and read them: every
    // access holds this lock.
    std::unique_lock<std::mutex> HoldParameters() const { return std::unique_lock(parametersMutex_); }
    // In name order, under the caller's hold.
    const std::map<std::string, std::unique_ptr<ProfileParameter>, std::less<>>& GetParameters(
        const std::unique_lock<std::mutex>& /*held*/) const {
        return parameters_;
    }

    const std::string& GetName() const { return name_; }
    AcsiStack* GetStack() const { return stack_.get(); }
    Server* GetServer() const { return server_; }

private:
    std::string name_ = DefaultName;
    std::unique_ptr<AcsiStack> stack_;
    Server* server_ = nullptr;
    mutable std::mutex parametersMutex_;
    std::map<std::string, std::unique_ptr<ProfileParameter>, std::less<>> parameters_;
};

}  // namespace Iec61850::Acsi
