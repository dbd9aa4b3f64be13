#include "ui/DialogTemplate.h"

#include <map>
#include <mutex>

namespace Ui {
namespace {
std::mutex templatesMutex;
std::map<int, DialogTemplate>& Templates() {
    static std::map<int, DialogTemplate> templates;
    return templates;
}
}  // namespace

void RegisterDialogTemplate(int id, DialogTemplate dialogTemplate) {
    std::lock_guard lock(templatesMutex);
    Templates()[id] = std::move(dialogTemplate);
}

const DialogTemplate* FindDialogTemplate(int id) {
    std::lock_guard lock(templatesMutex);
    auto it = Templates().find(id);
    return it == Templates().end() ? nullptr : &it->second;
}

}  // namespace Ui
