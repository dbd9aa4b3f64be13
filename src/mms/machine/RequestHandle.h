#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "mms/machine/InvokeCounter.h"
#include "mms/machine/RequestGroup.h"
#include "system/Message.h"
#include "system/ResultCode.h"

namespace Mms {

class MmsConnection;

// One MMS request in flight. Its message id is its invoke id, taken from the
// connection's counter when the handle is made, with the counter's generation; the
// service user files the answer's outcome in it. Every ACSI service object is one.
//
// Its life: whoever takes a filed request off the service user's queues completes it,
// and that may delete it. So a request is filed only while no thread is sending it. The
// thread that sends it marks it (BeginSending) before it is entered as pending, and
// unmarks it (EndSending) once nothing of the send reads it any more; a request answered
// or ended meanwhile (an answer, an abort, a reset, a stalled link, on whatever thread)
// is left to its sender, which files it as soon as its send is over. This holds for
// every thread that sends: the association's, a caller's, the receive thread.
class RequestHandle : public System::Message {
public:
    // MMS class ids of the objects a request may target.
    static constexpr std::int32_t KindNone = 0;
    static constexpr std::int32_t KindNamedVariable = 24;
    static constexpr std::int32_t KindNamedVariableList = 25;
    static constexpr std::int32_t KindVariable = 37;
    static constexpr std::int32_t KindVariableCollection = 41;

    // Who takes a request once the service user has filed it (answered or ended): its
    // maker, off the done queue (an ACSI service, any caller's request), or, for a request
    // the service user made for itself, the synchronous wait of the thread that asked for
    // it (see OwnRequests), after which the service user deletes it.
    enum class Collector : std::uint8_t { Maker, OwnWait };

    explicit RequestHandle(MmsConnection& connection, Collector collector = Collector::Maker);
    // A handle that never goes on the wire (an indication handed to a user, such as a
    // received report): invoke id 0, no id taken from any counter.
    RequestHandle() = default;
    ~RequestHandle() override = default;

    std::uint32_t GetInvokeId() const { return GetId(); }
    // The invoke counter's generation its id was taken in: the connection sends no request
    // of an earlier generation (an association that has ended).
    std::uint32_t GetGeneration() const { return generation_; }
    Collector GetCollector() const { return collector_; }

    void* GetTarget() const { return target_; }
    void SetTarget(void* target) { target_ = target; }
    std::int32_t GetKind() const { return kind_; }
    void SetKind(std::int32_t kind) { kind_ = kind; }
    bool GetMoreFollows() const { return moreFollows_ != 0; }
    void SetMoreFollows(bool moreFollows) { moreFollows_ = moreFollows ? 1 : 0; }
    // NotCompleted while pending; then OkNoError, Error (confirmed error), InvalidResponse
    // (wrong invoke id), Rejected or Timeout.
    System::ResultCode GetResult() const { return result_; }
    void SetResult(System::ResultCode result) { result_ = result; }
    // The MmsPduKind of the answer (confirmed response or error, reject, conclude
    // response); MmsPduNone while there is none.
    std::int32_t GetAnswerKind() const { return answerKind_; }
    void SetAnswerKind(std::int32_t kind) { answerKind_ = kind; }
    // An MmsErrorClass or an MmsRejectReasonChoice, and the code within it.
    std::int16_t GetErrorClass() const { return errorClass_; }
    std::int32_t GetErrorCode() const { return errorCode_; }
    void SetError(std::int16_t errorClass, std::int32_t errorCode) {
        errorClass_ = errorClass;
        errorCode_ = errorCode;
    }

    // The group it is made in (see RequestGroup), set by its maker before it is handed on;
    // none by default.
    void JoinGroup(std::shared_ptr<const RequestGroup> group) { group_ = std::move(group); }
    // Which group that is (null for none): its maker tells its own requests from others'.
    const RequestGroup* GetGroup() const { return group_.get(); }
    // Its group has been withdrawn: unless it is pending already, it is never sent.
    bool IsWithdrawn() const { return group_ != nullptr && group_->IsWithdrawn(); }

    // ---- the send (see the class comment); only the service user calls these ----

    // The sender's, before the request is entered as pending.
    void BeginSending() { sending_.store(Sending); }
    // The filer's: true when the request may be filed now; false when it is being sent,
    // and its sender files it once its send is over.
    bool MayFileNow() {
        std::uint8_t expected = Sending;
        return !sending_.compare_exchange_strong(expected, FiledWhileSending);
    }
    // The sender's, once nothing of its send reads the request any more: true when the
    // request was answered or ended meanwhile, and the sender files it now. After false a
    // request still pending may be filed (and deleted) by another thread at any moment.
    bool EndSending() { return sending_.exchange(NotSending) == FiledWhileSending; }

private:
    RequestHandle(InvokeCounter::Ticket ticket, Collector collector);

    enum SendingState : std::uint8_t { NotSending = 0, Sending = 1, FiledWhileSending = 2 };

    std::uint32_t generation_ = 0;
    Collector collector_ = Collector::Maker;
    void* target_ = nullptr;
    std::int32_t kind_ = KindNone;
    std::uint8_t moreFollows_ = 0;
    System::ResultCode result_ = System::NotCompleted;
    std::int32_t answerKind_ = 0;
    std::int16_t errorClass_ = 0;
    std::int32_t errorCode_ = 0;
    std::atomic<std::uint8_t> sending_{NotSending};
    std::shared_ptr<const RequestGroup> group_;
};

}  // namespace Mms
