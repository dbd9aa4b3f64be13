#include "device/DeviceTime.h"

#include "mms/ContainerTestSupport.h"
#include "mms/user/Domain.h"
#include "mms/user/NamedVariable.h"
#include "mms/values/UTCTime.h"
#include "protocol/Asn1StringValues.h"

namespace TestDevice {

namespace {
constexpr std::int64_t MillisecondsPerDay = 86400000;
// A data object's name has its logical node and functional constraint before it.
constexpr int DataObjectDepth = 3;

int Depth(const std::string& item) {
    int depth = 1;
    for (const char c : item) depth += c == '$' ? 1 : 0;
    return depth;
}
}  // namespace

System::UtcTime TimeStampOf(std::chrono::system_clock::time_point time) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count();
    System::UtcTime stamp{};
    System::EncodeUtcTime(stamp, static_cast<std::uint32_t>(ms / MillisecondsPerDay),
                          static_cast<std::uint32_t>(ms % MillisecondsPerDay));
    stamp[7] = TimeStampQuality;
    return stamp;
}

bool SetTimeStamp(Mms::NamedVariable& variable, const System::UtcTime& stamp) {
    if (dynamic_cast<Mms::UTCTime*>(variable.GetValue()) == nullptr) return false;
    // The text form would drop the quality: the stamp goes in as it travels.
    ContainerTestSupport::Data data = ContainerTestSupport::NewData();
    data->present = Mms::MmsDataUtcTime;
    if (Asn1::BytesToAsn1OctetString(&data->choice.utcTime, stamp) != System::OkNoError) return false;
    const Mms::UTCTime value(*data);
    return variable.Assign(value) == System::OkNoError;
}

Mms::NamedVariable* TimeStampAbove(Mms::Domain& domain, const std::string& item) {
    std::string above = item;
    if (above.size() >= 2 && above.compare(above.size() - 2, 2, "$t") == 0) return nullptr;
    while (Depth(above) > DataObjectDepth) {
        above.erase(above.rfind('$'));
        Mms::NamedVariable* stamp = domain.FindNamedVariable(above + "$t");
        if (stamp != nullptr && dynamic_cast<Mms::UTCTime*>(stamp->GetValue()) != nullptr) return stamp;
    }
    return nullptr;
}

}  // namespace TestDevice
