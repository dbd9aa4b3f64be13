#include "osi/ResponderDeadline.h"

#include "osi/TcpConnection.h"
#include "system/NumberText.h"

ResponderDeadline::~ResponderDeadline() { Retire(); }

System::ResultCode ResponderDeadline::SetBound(std::string_view text) {
    std::uint32_t bound = 0;
    if (System::ParseUnsignedText(bound, text) != System::OkNoError || bound == 0) return System::InvalidArguments;
    boundMs_.store(bound);
    return System::OkNoError;
}

std::string ResponderDeadline::GetBoundText() const { return std::to_string(boundMs_.load()); }

void ResponderDeadline::Arm() {
    std::lock_guard lock(mutex_);
    if (retired_) return;
    Configure(boundMs_.load(), false);
    Start();
}

void ResponderDeadline::Settle() { Cancel(); }

void ResponderDeadline::Retire() {
    {
        std::lock_guard lock(mutex_);
        retired_ = true;
    }
    Cancel();
}

void ResponderDeadline::Expire() {
    QueueTimer::Expire();
    if (auto* transport = dynamic_cast<TcpConnection*>(owner_.GetBottom())) transport->Hangup();
}
