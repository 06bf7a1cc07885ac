#pragma once
// The value-or-error results of the readers and builders, taken apart in
// tests: the side a test expects, or a test failure that says what came
// instead (the error's message) and a default-made value.
#include <gtest/gtest.h>
#include <variant>

namespace testing_results {

template <class Want, class... Alternatives>
Want expect(const std::variant<Alternatives...>& result) {
    if (const Want* want = std::get_if<Want>(&result)) return *want;
    std::visit(
        [](const auto& other) {
            if constexpr (requires { other.message(); })
                ADD_FAILURE() << "failed: " << other.message().toStdString();
            else
                ADD_FAILURE() << "succeeded where it should have failed";
        },
        result);
    return Want{};
}

} // namespace testing_results
