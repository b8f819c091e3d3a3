#pragma once

#include <cstdint>
#include <string_view>

namespace psion::transfer {

// Everything that differs between Send and Receive.
struct TransferTexts {
    std::string_view questionLine1;
    std::string_view questionLine2;
    std::string_view questionTitle;
    std::string_view nameTested;   // file name tested for existence
    std::string_view nameStarted;  // file name started
    bool waitsForScript;           // Receive waits until its script has ended
    std::string_view resultTitle;
    std::string_view failureLine1;
};

// The texts of the button with that index (0 Send, 1 Receive); nullptr for any other index.
const TransferTexts* TextsForButton(std::int16_t index);

}  // namespace psion::transfer
