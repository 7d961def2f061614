#pragma once
#include <map>
#include <string>
#include <vector>

#include "canvas.h"

// The authored parts of the artwork (words, palettes, layout tables), read
// from plain files under assets/art/. Each line is `key = value ...` where a
// value is a number or a "quoted string"; `#` starts a comment.
class CArtConfig {
  public:
    // Adds the entries of one file; later files may not repeat a key.
    // Returns false (and records an error) when the file is unreadable or malformed.
    bool Load(const std::string &path);

    bool Has(const std::string &key) const { return m_entries.count(key) != 0; }
    // Three numbers 0..255. A missing or malformed entry records an error and
    // gives magenta, so the fault is visible as well as reported.
    Colour GetColour(const std::string &key) const;
    // The first string of the entry ("" and an error when missing).
    std::string GetText(const std::string &key) const;
    std::vector<std::string> GetTexts(const std::string &key) const;
    std::vector<float> GetNumbers(const std::string &key) const;

    const std::vector<std::string> &Errors() const { return m_errors; }

  private:
    struct Token {
        bool isString;
        std::string text;
        float number;
    };
    const std::vector<Token> *Find(const std::string &key) const;

    std::map<std::string, std::vector<Token>> m_entries;
    mutable std::vector<std::string> m_errors;
};
