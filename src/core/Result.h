#pragma once
// Errors and results of core and engine operations. The GUI shows `text` (the language key's
// text) in a message box and may add the detail; the command-line tool prints "text: detail".

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace lw {

struct Error {
    std::string key;    // language key, e.g. "sBadXomFormatFile"
    std::string text;   // the English text of that key, e.g. "Bad Xom Format File!"
    std::string detail; // what exactly was wrong, e.g. "offset 1234: child reference 9 is missing"

    std::string message() const { return detail.empty() ? text : text + ": " + detail; }
};

inline Error badXomFormat(std::string detail) {
    return Error{"sBadXomFormatFile", "Bad Xom Format File!", std::move(detail)};
}
inline Error badLibraryXom(std::string detail) {
    return Error{"sBadlibraryXomFile", "Bad library Xom File!", std::move(detail)};
}

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : v_(std::move(value)) {}
    Result(Error error) : v_(std::move(error)) {}

    bool ok() const { return v_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(v_); }
    const T& value() const { return std::get<0>(v_); }
    T& operator*() { return value(); }
    T* operator->() { return &value(); }
    const Error& error() const { return std::get<1>(v_); }

private:
    std::variant<T, Error> v_;
};

// For operations that return nothing on success.
struct Ok {};
using Status = Result<Ok>;

} // namespace lw
