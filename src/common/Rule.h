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

// How the referer sent with a converted link is made. Files may hold any number from 0 to 255;
// values other than these leave the incoming referer unchanged.
enum class RefererMode : uint8_t {
    None = 0, // "No referer"
    OriginPage = 1, // "Use origin page of the links"
    SourceUrl = 2, // "Use the first of the source URLs"
    SourceSite = 3, // "Use the site of the first source URL"
    Custom = 4, // "Custom referer :"
};

// Files may hold any number from 0 to 255 here too; other values make a rule that loads but is
// never used.
enum class RuleType : uint8_t {
    ReplaceInLink = 0, // search and replace in the link
    SearchPage = 1, // open the linked page and search in it
    // What a file's "Type" outside 0..255 reads as.
    Unknown = 255,
};

// The number a file holds for a mode or type.
constexpr int FileValue(RefererMode mode) { return static_cast<int>(mode); }
constexpr int FileValue(RuleType type) { return static_cast<int>(type); }

// A rule as loaded from its file: how to recognise the links of one picture host and turn them
// into the address of the full-size picture.
struct Rule {
    std::string version;
    bool active = true;
    std::string name;
    std::string ident; // identification pattern
    RuleType type = RuleType::ReplaceInLink;
    std::vector<ReplaceStep> replaceSteps;
    std::vector<SearchStep> searchSteps;
    RefererMode refererMode = RefererMode::SourceSite;
    std::string refererPattern;
    std::string refererTemplate;
};

} // namespace vortalux
