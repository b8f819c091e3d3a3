#include "transfer/TransferCommand.h"

namespace psion::transfer {

// Placeholder until the transfer commands are built.
void RunTransferCommand(std::int16_t, const TransferContext&) {}

}  // namespace psion::transfer
