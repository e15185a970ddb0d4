// The first two exchanges of every start: is the server there, and does it
// know the scrambler key.
#pragma once

#include "protocol/Challenge.h"
#include "protocol/ServerExchange.h"

namespace gsd {

// Sends the bodiless request; true exactly when the server answered "0"
// (one byte, nothing around it). Shows no message of its own for any other
// reply; errors of the HTTP layer are reported by the exchange.
bool CheckServerConnection(const ExchangeServices& services);

// Sends a challenge drawn from `generator`, scrambled, and returns true
// exactly when the server's reply is the plain challenge, byte for byte. A
// reply of 3 bytes or fewer (the empty one included) is shown as a server
// error code. When scrambling cannot hide the challenge nothing is sent: a
// message says so and the result is false.
bool AuthenticateHost(const ExchangeServices& services, ChallengeGenerator& generator);

// The same, drawing from the process-wide generator.
bool AuthenticateHost(const ExchangeServices& services);

} // namespace gsd
