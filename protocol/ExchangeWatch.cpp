#include "protocol/ExchangeSteps.h"

#include "protocol/FieldList.h"

namespace gsd {

void StatusLine::Set(int field)
{
    if (dialog_ != nullptr && field >= 0) {
        dialog_->SetStatusLine(GetField(texts_, field, FieldSeparator));
    }
}

ExchangeWatch::ExchangeWatch(const ExchangeServices& services, const StatusLine& status)
    : services_(services)
    , status_(status)
    , idle_(services.clock)
    , messages_(services.clock)
    , wholeReply_(services.clock)
{
}

void ExchangeWatch::StartCall()
{
    idle_.Set(ReplyDeadlineMilliseconds);
    messages_.Set(MessageIntervalMilliseconds);
    wholeLimit_ = false;
    dataSinceWait_ = false;
    stopped_ = AttemptStop::None;
}

void ExchangeWatch::StartReading(bool whole)
{
    StartCall();
    wholeLimit_ = whole;
    if (whole) {
        wholeReply_.Set(ReplyDeadlineMilliseconds);
    }
}

bool ExchangeWatch::KeepWaiting()
{
    // The idle time counts from the first wait after the last byte, which
    // keeps the clock out of the per-chunk path.
    if (dataSinceWait_) {
        idle_.Set(ReplyDeadlineMilliseconds);
        dataSinceWait_ = false;
    }
    services_.pump.HandlePendingMessages();
    messages_.Set(MessageIntervalMilliseconds);
    if (!GoOn()) {
        return false;
    }
    if (idle_.Expired()) {
        stopped_ = AttemptStop::Idle;
        return false;
    }
    return true;
}

bool ExchangeWatch::ChunkArrived()
{
    dataSinceWait_ = true;
    if (messages_.Expired()) {
        services_.pump.HandlePendingMessages();
        messages_.Set(MessageIntervalMilliseconds);
    }
    return GoOn();
}

bool ExchangeWatch::GoOn()
{
    if (status_.CancelRequested()) {
        stopped_ = AttemptStop::Cancelled;
        return false;
    }
    if (wholeLimit_ && wholeReply_.Expired()) {
        stopped_ = AttemptStop::CutOff;
        return false;
    }
    return true;
}

} // namespace gsd
