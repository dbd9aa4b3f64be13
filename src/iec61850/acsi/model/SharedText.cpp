#include "iec61850/acsi/model/SharedText.h"

#include <functional>
#include <mutex>
#include <set>

namespace Iec61850::Acsi {

const std::string& SharedText(std::string_view text) {
    // Never freed: texts are handed out for good, and the set stays as small as the
    // type dictionaries and value classes are.
    static std::mutex* const guard = new std::mutex;
    static std::set<std::string, std::less<>>* const texts = new std::set<std::string, std::less<>>;
    const std::lock_guard<std::mutex> lock(*guard);
    const auto found = texts->find(text);
    if (found != texts->end()) return *found;
    return *texts->emplace(text).first;
}

}  // namespace Iec61850::Acsi
