// A script host whose answers the test gives, for results and failures no real command makes
// (a failure without number or message, -128), behind the same interface as the real host.
#pragma once

#include "platform/AppleScriptHost.hpp"

#include <functional>
#include <string>

namespace tavrel::testing {

class FakeScriptHost final : public platform::AppleScriptHost {
public:
    using Answer = std::function<std::optional<Execution>(const std::string& source)>;

    explicit FakeScriptHost(Answer answer) : answer_(std::move(answer)) {}

    [[nodiscard]] std::optional<Execution> execute(const std::string& source) const override {
        return answer_(source);
    }

private:
    Answer answer_;
};

} // namespace tavrel::testing
