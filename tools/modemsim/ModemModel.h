// The emulated modem without any I/O: takes the host's bytes with their time,
// answers by its profile, and hands out its output by time. Driven by one
// thread (the pty server's loop or a test's simulated line).
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "ModemProfile.h"
#include "platform/fake/SerialPeer.h"

namespace nubo::modemsim {

class ModemModel : public nubo::SerialPeer {
public:
    explicit ModemModel(ModemProfile profile);

    void Receive(std::string_view bytes, std::uint32_t now) override;
    void LineReset(std::uint32_t now) override;
    std::string TakeOutput(std::uint32_t now) override;
    bool NextDue(std::uint32_t now, std::uint32_t& due) override;

    // Complete command lines received so far, as typed.
    const std::vector<std::string>& Lines() const { return lines_; }
    ModemProfile& Profile() { return profile_; }

private:
    struct Output {
        std::uint32_t due;
        std::string bytes;
    };

    void Send(std::string bytes, std::uint32_t due);
    void Echo(char c, std::uint32_t now);
    void Execute(const std::string& line, std::uint32_t now);
    void Dial(bool faulty, std::uint32_t now);
    void Answer(const std::vector<std::string>& info, const std::string& result, bool faulty,
                std::uint32_t now);
    void SendFramed(const std::string& bytes, bool faulty, std::uint32_t at);
    void NextPage(std::uint32_t now);
    bool IsDial(const std::string& upper) const;

    ModemProfile profile_;
    std::vector<CommandAnswer> commands_;
    std::deque<Output> out_;
    std::uint32_t lastDue_ = 0;
    std::string line_;
    int lineChars_ = 0;
    int wrongEchoesLeft_;
    bool online_ = false;  // after CONNECT: the line carries data, not commands
    bool dead_ = false;    // hung up half-way through an answer
    // Paged output waiting for a CR: the pages still to come and the result.
    std::deque<std::string> pages_;
    std::string pagedResult_;
    bool pagedFaulty_ = false;
    bool flooding_ = false;
    std::uint32_t floodNext_ = 0;
    std::size_t flooded_ = 0;
    std::vector<std::string> lines_;
};

}  // namespace nubo::modemsim
