#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vortalux {

// What the rule editor asks of the pattern tester: one of its four uses, with the boxes filled.
struct PatternPromptRequest {
    enum class Use { Identification, ReplaceStep, SearchStep, CustomReferer };
    Use use = Use::Identification;
    std::string pattern;
    std::string result;
    bool global = false;
    bool resultTicked = false;
};

// What comes back: an empty pattern when the user cancelled.
struct PatternPromptAnswer {
    std::string pattern;
    std::string result;
    int16_t global = 0;
};

// Opens the tester modally over `parent`; tests put their own answers in its place.
using PatternPrompt = std::function<PatternPromptAnswer(const PatternPromptRequest& request)>;

} // namespace vortalux
