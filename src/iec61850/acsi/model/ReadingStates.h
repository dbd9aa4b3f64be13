#pragma once

#include <cstdint>

namespace Iec61850::Acsi {

// The model reading (RClient) moves four machines of states, one type each, so that a state
// of one cannot be stored in or compared with another: the same number means different
// things in different machines (4 is a device directory that ended for good, a node built
// from its groups, or an object whose data directory was answered). The numbers are kept
// as they are: the model stores and counts them.

// A name list that arrives page by page: the server's directory, the second server-level
// state (it goes from NotAsked to Asked and nothing waits on it), a logical device's
// directory and a logical device's data-set names.
enum class DirectoryState : std::uint32_t {
    NotAsked = 0,
    // A device directory that said more follows but gave no name to continue after: it
    // cannot be continued, so it ends here.
    EndedWithoutName = 4,
    // The next step continues after the last name.
    MoreFollows = 6,
    Complete = 7,
    Asked = 8,
    // The device refused a logical device's data-set names: asking again would be refused
    // again.
    GivenUp = 11,
};

// Complete, or ended for good (which counts as complete with what arrived): otherwise a
// device that ends a directory early would keep the reading from ever finishing.
constexpr bool IsDirectoryComplete(DirectoryState state) {
    return state == DirectoryState::Complete || state == DirectoryState::EndedWithoutName ||
           state == DirectoryState::GivenUp;
}

// A logical node's type and, once it is built, its values (LogicalNode::readingState).
enum class NodeReadingState : std::uint32_t {
    NotAsked = 0,
    // Its whole type asked for in one request.
    TypeAsked = 1,
    // The type was refused (or the device does not offer type requests): the groups are
    // made from the device directory's "node$FC" names and read one by one.
    TypeRefused = 2,
    // The data directories of its groups asked for.
    GroupsAsked = 3,
    // Built from its groups; the local directories of its data and control blocks queued.
    Built = 4,
    MoreFollows = 6,
    Read = 7,
    // Fully read with what it has (LogicalNode::IsFullyRead); the reading itself never sets it.
    GivenUp = 11,
};

// A data set's member list (its directory).
enum class MemberListState : std::uint32_t {
    NotAsked = 0,
    MoreFollows = 6,
    Complete = 7,
    Asked = 8,
    // Answered, but a member names nothing the model holds: final, and the data set is
    // incomplete (its members are not the device's).
    Unresolved = 11,
};

// Every model object's own state (NamedObject): whether its values or its structure have
// been read. Setting it on a group or item passes it down the subtree, on a node or data set
// also up to the parent.
enum class ObjectState : std::uint32_t {
    NotAsked = 0,
    // A functional-constraint group whose data directory is asked for.
    DirectoryAsked = 3,
    // The object a data directory request found, once that request is confirmed.
    DirectoryAnswered = 4,
    Read = 7,
    // Its values asked for.
    ValuesAsked = 8,
};

// What a count passes to count objects in every state: a count never asks for the
// objects not asked yet, so their number stands for "any".
inline constexpr ObjectState AnyObjectState = ObjectState::NotAsked;

}  // namespace Iec61850::Acsi
