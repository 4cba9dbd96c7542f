#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vortalux {

// One step of a rule that rewrites the link itself.
struct ReplaceStep {
    std::string pattern;
    std::string replaceTemplate;
};

// One step of a rule that searches the linked page. An empty result template cuts the page at
// the match and goes on with the next step.
struct SearchStep {
    std::string pattern;
    std::string resultTemplate;
    int16_t global = 0; // 1: every match, one result line per match and group
};

// How the referer sent with a converted link is made. Files may hold any number; values other
// than these leave the incoming referer unchanged.
namespace RefererMode {
constexpr uint8_t None = 0; // "No referer"
constexpr uint8_t OriginPage = 1; // "Use origin page of the links"
constexpr uint8_t SourceUrl = 2; // "Use the first of the source URLs"
constexpr uint8_t SourceSite = 3; // "Use the site of the first source URL"
constexpr uint8_t Custom = 4; // "Custom referer :"
} // namespace RefererMode

namespace RuleType {
constexpr uint8_t ReplaceInLink = 0; // search and replace in the link
constexpr uint8_t SearchPage = 1; // open the linked page and search in it
// What a file's "Type" outside 0..255 reads as: a rule of no known type, loaded but never used.
constexpr uint8_t Unknown = 255;
} // namespace RuleType

// A rule as loaded from its file: how to recognise the links of one picture host and turn them
// into the address of the full-size picture.
struct Rule {
    std::string version;
    bool active = true;
    std::string name;
    std::string ident; // identification pattern
    uint8_t type = RuleType::ReplaceInLink;
    std::vector<ReplaceStep> replaceSteps;
    std::vector<SearchStep> searchSteps;
    uint8_t refererMode = RefererMode::SourceSite;
    std::string refererPattern;
    std::string refererTemplate;
};

} // namespace vortalux
