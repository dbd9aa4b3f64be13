#pragma once

#include <cstdint>

#include "mms/machine/InvokeCounter.h"
#include "system/Message.h"
#include "system/ResultCode.h"

namespace Mms {

class MmsConnection;

// One MMS request in flight. Its message id is its invoke id, taken from the
// connection's counter when the handle is made, with the counter's generation; the
// service user files the answer's outcome in it. Every ACSI service object is one.
class RequestHandle : public System::Message {
public:
    // MMS class ids of the objects a request may target.
    static constexpr std::int32_t KindNone = 0;
    static constexpr std::int32_t KindNamedVariable = 24;
    static constexpr std::int32_t KindNamedVariableList = 25;
    static constexpr std::int32_t KindVariable = 37;
    static constexpr std::int32_t KindVariableCollection = 41;

    explicit RequestHandle(MmsConnection& connection);
    // A handle that never goes on the wire (an indication handed to a user, such as a
    // received report): invoke id 0, no id taken from any counter.
    RequestHandle() = default;
    ~RequestHandle() override = default;

    std::uint32_t GetInvokeId() const { return GetId(); }
    // The invoke counter's generation its id was taken in: the connection sends no request
    // of an earlier generation (an association that has ended).
    std::uint32_t GetGeneration() const { return generation_; }

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

private:
    explicit RequestHandle(InvokeCounter::Ticket ticket);

    std::uint32_t generation_ = 0;
    void* target_ = nullptr;
    std::int32_t kind_ = KindNone;
    std::uint8_t moreFollows_ = 0;
    System::ResultCode result_ = System::NotCompleted;
    std::int32_t answerKind_ = 0;
    std::int16_t errorClass_ = 0;
    std::int32_t errorCode_ = 0;
};

}  // namespace Mms
