#pragma once
// The driver's result codes by name, for the card implementations and their tests.

#include <cstdint>

namespace corvin::instrument::CardResult {

constexpr int16_t kOk = 0;
constexpr int16_t kNotSupported = -1;
constexpr int16_t kAlreadyRegistered = -2;
constexpr int16_t kNotRegistered = -4;
constexpr int16_t kInvalidChannel = -5;
constexpr int16_t kInvalidData = -6;
constexpr int16_t kInsufficientMemory = -8;
constexpr int16_t kCardNotFound = -10;

} // namespace corvin::instrument::CardResult
