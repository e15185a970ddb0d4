#include <algorithm>

#include "protocol/ExchangeSteps.h"

namespace gsd {

StepEnd ReadReply(const ExchangeRequest& request, Attempt& attempt, ExchangeWatch& watch, ReplySink& sink)
{
    watch.StartReading(request.limit == ReadLimit::WholeReply);
    StepEnd end;
    for (;;) {
        std::size_t received = 0;
        end.error = attempt.request->Read(attempt.buffer.data(), ReplyChunkSize, received, watch);
        if (end.error == WaitGivenUp) {
            end.error = NoInternetError;
            end.stopped = watch.stopped();
            return end;
        }
        if (end.error != NoInternetError || received == 0) {
            return end;
        }
        received = std::min(received, ReplyChunkSize);
        end.received += received;
        if (!sink.Accept(std::string_view(attempt.buffer.data(), received), end.received)) {
            end.stopped = AttemptStop::Receiver;
            return end;
        }
        if (!watch.ChunkArrived()) {
            end.stopped = watch.stopped();
            return end;
        }
    }
}

} // namespace gsd
