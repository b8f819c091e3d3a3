#include "transfer/TransferTexts.h"

#include "transfer/TransferCommand.h"
#include "unitfiles/DataFolder.h"

namespace psion::transfer {

namespace {

constexpr TransferTexts kSend{
    .questionLine1 = "You are about to send data to Psion",
    .questionLine2 = "and over-write the existing data file.",
    .questionTitle = "Send Data",
    .nameTested = unitfiles::kSendScriptTested,
    .nameStarted = unitfiles::kSendScriptStarted,
    .waitsForScript = false,
    .resultTitle = "Send to Psion",
    .failureLine1 = "There was a problem with STARTSEND.BAT.",
};

constexpr TransferTexts kReceive{
    .questionLine1 = "You are about to receive readings from Psion",
    .questionLine2 = "and over-write the existing reading file on the computer.",
    .questionTitle = "Receive Readings",
    .nameTested = unitfiles::kReceiveScript,
    .nameStarted = unitfiles::kReceiveScript,
    .waitsForScript = true,
    .resultTitle = "Receive from Psion",
    .failureLine1 = "There was a problem with STARTGET.BAT.",
};

}  // namespace

const TransferTexts* TextsForButton(std::int16_t index) {
    switch (index) {
        case kSendIndex:
            return &kSend;
        case kReceiveIndex:
            return &kReceive;
        default:
            return nullptr;
    }
}

}  // namespace psion::transfer
