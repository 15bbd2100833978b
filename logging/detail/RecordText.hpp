// The message text of a log record. A short text is kept inside the record itself, so that the
// logging thread, which ends the record, frees nothing that the calling thread allocated.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace tavrel::logging {

class RecordText {
public:
    /// Texts up to this many bytes are kept inline.
    static constexpr std::size_t kInlineCapacity = 160;

    RecordText() noexcept = default;
    explicit RecordText(std::string&& text) {
        if (text.size() <= kInlineCapacity) {
            text.copy(inline_.data(), text.size());
            size_ = text.size();
        } else {
            long_ = std::move(text);
            isLong_ = true;
        }
    }

    [[nodiscard]] std::string_view view() const noexcept {
        return isLong_ ? std::string_view(long_) : std::string_view(inline_.data(), size_);
    }

private:
    std::size_t size_ = 0; // of the inline text
    bool isLong_ = false;
    std::string long_;
    // Left unfilled: only the first size_ bytes are ever read.
    std::array<char, kInlineCapacity> inline_; // NOLINT(cppcoreguidelines-pro-type-member-init)
};

} // namespace tavrel::logging
