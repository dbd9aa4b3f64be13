#pragma once

#include <deque>
#include <mutex>
#include <string>
#include <unordered_set>
#include <vector>

namespace Iec61850::Acsi {

class LogicalDevice;
class LogicalNode;

// What the model read must look at again, so that a reading step costs what its answers
// changed and not a walk of the whole model: the answers queue the devices, nodes and data
// sets whose states they moved (a directory its device and the nodes it names, a node's
// type or values answer the node, a member list its data set), and each step takes what is
// queued. Asking for everything again (Rebuild) makes the next step queue the whole model
// from its states: the first step of a read, a new association (what was asked and not
// answered is asked again), and a reader that heard nothing for a while, so that a state
// no answer queued is still found.
//
// Beside the queue it keeps the nodes not yet known typed and not yet known read, checked
// in turn, so that whether everything is typed or read costs the nodes that became so since
// the last look, and one more.
//
// Threads: Queue* and Rebuild from any thread (the callbacks); Take and the checks on the
// reading thread under the model lock. The devices and nodes are the model's, which live as
// long as the server: a rebuild drops every one held.
class ReadingWorkList {
public:
    // A data set by its node and name: a set may be deleted while it waits.
    struct DataSetEntry {
        LogicalNode* node = nullptr;
        std::string name;
    };
    struct Batch {
        bool rebuild = false;
        std::vector<LogicalDevice*> devices;
        std::vector<LogicalNode*> nodes;
        std::vector<DataSetEntry> dataSets;
    };

    void QueueDevice(LogicalDevice* device);
    void QueueNode(LogicalNode* node);
    void QueueDataSet(LogicalNode* node, std::string name);
    // Every device and node queued again by the next step, from the model's states.
    void Rebuild();
    // What was queued since the last Take, each object once, in the order queued.
    Batch Take();

    // Reading thread: a node the read knows of, checked by the two questions below until
    // it passes them.
    void Track(LogicalNode* node);
    // A node found unread after it passed (or never tracked): checked again.
    void Recheck(LogicalNode* node);
    // Forgets the nodes tracked (a rebuild tracks the model's again).
    void ForgetTracked();
    // True when every tracked node passes; those that pass are not checked again.
    template <typename Pass>
    bool AllTyped(Pass pass) {
        return Drain(untyped_, pass);
    }
    template <typename Pass>
    bool AllRead(Pass pass) {
        return Drain(unread_, pass);
    }

private:
    // Those that pass go; the first that does not goes to the back, so that one waiting
    // long (LLN0 for its data sets) is not checked at every look.
    template <typename Pass>
    static bool Drain(std::deque<LogicalNode*>& pending, Pass pass) {
        while (!pending.empty()) {
            LogicalNode* node = pending.front();
            pending.pop_front();
            if (!pass(*node)) {
                pending.push_back(node);
                return false;
            }
        }
        return true;
    }

    std::mutex mutex_;
    Batch queued_;
    std::unordered_set<const void*> inQueue_;

    std::unordered_set<const LogicalNode*> tracked_;
    std::deque<LogicalNode*> untyped_;
    std::deque<LogicalNode*> unread_;
};

}  // namespace Iec61850::Acsi
