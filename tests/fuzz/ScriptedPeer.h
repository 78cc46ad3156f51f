// The far end of the simulated line as the fuzzer writes it: bytes at chosen
// moments, an echo that may be off or wrong, purges that it may ignore, and
// answers cut from the input. Driven by the single thread of the fuzz target.
#pragma once
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <deque>
#include <string>

#include "platform/fake/SerialPeer.h"

namespace nubo::fuzz {

class ScriptedPeer : public SerialPeer {
public:
    // Reads its whole behaviour from in; times count from start.
    ScriptedPeer(FuzzedDataProvider& in, std::uint32_t start) {
        const std::uint8_t mode = in.ConsumeIntegral<std::uint8_t>();
        echo_ = (mode & 1) != 0;
        crAsLf_ = (mode & 2) != 0;
        keepOnReset_ = (mode & 4) != 0;
        answerPerLine_ = (mode & 8) != 0;
        wrongEchoEvery_ = (mode >> 4) & 7;  // 0 = never
        std::uint32_t at = start;
        const int events = in.ConsumeIntegralInRange<int>(0, 24);
        for (int i = 0; i < events && in.remaining_bytes() > 0; ++i) {
            at += in.ConsumeIntegralInRange<std::uint32_t>(0, 3000);
            std::string bytes = in.ConsumeRandomLengthString(96);
            // Now and then a big burst: paged text or a flood.
            const int repeat = in.ConsumeIntegralInRange<int>(0, 3) == 3
                                   ? in.ConsumeIntegralInRange<int>(1, 2048)
                                   : 1;
            std::string burst;
            for (int r = 0; r < repeat; ++r) burst += bytes;
            if (answerPerLine_) {
                answers_.push_back(std::move(burst));
            } else {
                Queue(at, std::move(burst));
            }
        }
    }

    void Receive(std::string_view bytes, std::uint32_t now) override {
        for (char c : bytes) {
            if (echo_) {
                ++echoed_;
                char back = c;
                if (wrongEchoEvery_ != 0 && echoed_ % wrongEchoEvery_ == 0) back = '#';
                if (c == '\r' && crAsLf_) back = '\n';
                Queue(now, std::string(1, back));
            }
            if (c == '\r' && answerPerLine_ && !answers_.empty()) {
                Queue(now + 20, std::move(answers_.front()));
                answers_.pop_front();
            }
        }
    }

    void LineReset(std::uint32_t) override {
        if (!keepOnReset_) out_.clear();
    }

    std::string TakeOutput(std::uint32_t now) override {
        std::string bytes;
        while (!out_.empty() && static_cast<std::int32_t>(now - out_.front().due) >= 0) {
            bytes += out_.front().bytes;
            out_.pop_front();
        }
        return bytes;
    }

    bool NextDue(std::uint32_t, std::uint32_t& due) override {
        if (out_.empty()) return false;
        due = out_.front().due;
        return true;
    }

private:
    struct Output {
        std::uint32_t due;
        std::string bytes;
    };

    // In time order; a byte due earlier than the last queued one waits for it.
    void Queue(std::uint32_t due, std::string bytes) {
        if (bytes.empty()) return;
        if (!out_.empty() && static_cast<std::int32_t>(due - out_.back().due) < 0) {
            due = out_.back().due;
        }
        out_.push_back({due, std::move(bytes)});
    }

    std::deque<Output> out_;
    std::deque<std::string> answers_;
    bool echo_ = true;
    bool crAsLf_ = false;
    bool keepOnReset_ = false;
    bool answerPerLine_ = false;
    int wrongEchoEvery_ = 0;
    long echoed_ = 0;
};

}  // namespace nubo::fuzz
