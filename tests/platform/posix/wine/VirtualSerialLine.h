#pragma once

#include <chrono>
#include <string>

namespace psion::testing {

// A serial line between the computer and a stand-in unit: a pseudo-terminal
// pair in raw mode. The computer's end is a device that Wine can map to a COM
// port; the test plays the unit at the other end.
class VirtualSerialLine {
  public:
    VirtualSerialLine();  // throws when the system offers no pseudo-terminal
    ~VirtualSerialLine();
    VirtualSerialLine(const VirtualSerialLine&) = delete;
    VirtualSerialLine& operator=(const VirtualSerialLine&) = delete;

    // The computer's end, such as /dev/pts/3.
    const std::string& Device() const { return device_; }

    // What the unit hears, up to and with the first line "END", or all it
    // heard when that line has not come within the limit.
    std::string HearUntilEnd(std::chrono::milliseconds limit);

    // What the unit says down the line.
    void Say(const std::string& bytes);

  private:
    int unit_ = -1;      // the unit's end
    int computer_ = -1;  // kept open, so the line stays up between the program's opens
    std::string device_;
};

}  // namespace psion::testing
