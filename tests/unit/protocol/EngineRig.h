#pragma once

#include "FakePollHost.h"
#include "ScriptedPanel.h"
#include "protocol/PanelData.h"
#include "protocol/PollEngine.h"

#include <cstdint>
#include <string>
#include <vector>

// The engine wired to a recording host and a scripted panel. Replies are fed
// back byte by byte outside sendBytes, as the serial driver does.
struct EngineRig {
    PanelData data;
    FakePollHost host;
    PollEngine engine{data, host};
    ScriptedPanel panel;

    EngineRig() { host.attach(engine.memoryDownload()); }
    EngineRig(const EngineRig&) = delete;
    EngineRig& operator=(const EngineRig&) = delete;

    void start() { engine.start(); }

    void feed(const std::string& bytes) {
        for (const char c : bytes) {
            engine.onByte(static_cast<std::uint8_t>(c));
        }
    }

    // Answers the outstanding request; returns it.
    std::string exchange() {
        const std::string request = host.sent.back();
        feed(panel.answer(request));
        return request;
    }

    static std::string join(const std::vector<std::string>& v, std::size_t from) {
        std::string out;
        for (std::size_t i = from; i < v.size(); ++i) {
            out += (out.empty() ? "" : " ") + v[i];
        }
        return out;
    }

    // Runs `n` exchanges; returns the requests sent meanwhile, space-separated.
    std::string run(int n) {
        const std::size_t from = host.sent.size();
        for (int i = 0; i < n; ++i) {
            exchange();
        }
        return join(host.sent, from);
    }

    // Exchanges until the engine sends "K" again (at most `limit` times);
    // returns the requests sent meanwhile, the final "K" included.
    std::string runToStatus(int limit = 5000) {
        const std::size_t from = host.sent.size();
        for (int i = 0; i < limit; ++i) {
            exchange();
            if (host.sent.back() == "K") {
                break;
            }
        }
        return join(host.sent, from);
    }
};
