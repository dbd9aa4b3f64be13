#include "iec61850/acsi/reader/ReadingWorkList.h"

#include <utility>

namespace Iec61850::Acsi {

void ReadingWorkList::QueueDevice(LogicalDevice* device) {
    if (device == nullptr) return;
    const std::lock_guard lock(mutex_);
    if (inQueue_.insert(device).second) queued_.devices.push_back(device);
}

void ReadingWorkList::QueueNode(LogicalNode* node) {
    if (node == nullptr) return;
    const std::lock_guard lock(mutex_);
    if (inQueue_.insert(node).second) queued_.nodes.push_back(node);
}

void ReadingWorkList::QueueDataSet(LogicalNode* node, std::string name) {
    if (node == nullptr) return;
    const std::lock_guard lock(mutex_);
    queued_.dataSets.push_back({node, std::move(name)});
}

void ReadingWorkList::Rebuild() {
    const std::lock_guard lock(mutex_);
    queued_.rebuild = true;
}

ReadingWorkList::Batch ReadingWorkList::Take() {
    const std::lock_guard lock(mutex_);
    Batch taken = std::exchange(queued_, Batch{});
    inQueue_.clear();
    return taken;
}

void ReadingWorkList::Track(LogicalNode* node) {
    if (!tracked_.insert(node).second) return;
    untyped_.push_back(node);
    unread_.push_back(node);
}

void ReadingWorkList::Recheck(LogicalNode* node) {
    tracked_.insert(node);
    untyped_.push_back(node);
    unread_.push_back(node);
}

void ReadingWorkList::ForgetTracked() {
    tracked_.clear();
    untyped_.clear();
    unread_.clear();
}

}  // namespace Iec61850::Acsi
