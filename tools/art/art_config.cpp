#include "art_config.h"

#include <cstdlib>
#include <fstream>

namespace {

std::string Trim(const std::string &s) {
    const size_t a = s.find_first_not_of(" \t\r");
    if (a == std::string::npos)
        return "";
    const size_t b = s.find_last_not_of(" \t\r");
    return s.substr(a, b - a + 1);
}

} // namespace

bool CArtConfig::Load(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        m_errors.push_back(path + ": cannot read");
        return false;
    }
    bool ok = true;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        const std::string where = path + ":" + std::to_string(lineNo);
        // Strip a comment that is not inside a string.
        bool quoted = false;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] == '"')
                quoted = !quoted;
            else if (line[i] == '#' && !quoted) {
                line.resize(i);
                break;
            }
        }
        line = Trim(line);
        if (line.empty())
            continue;
        const size_t eq = line.find('=');
        if (eq == std::string::npos) {
            m_errors.push_back(where + ": expected key = values");
            ok = false;
            continue;
        }
        const std::string key = Trim(line.substr(0, eq));
        std::vector<Token> tokens;
        size_t i = eq + 1;
        while (i < line.size()) {
            if (line[i] == ' ' || line[i] == '\t') {
                ++i;
            } else if (line[i] == '"') {
                const size_t end = line.find('"', i + 1);
                if (end == std::string::npos) {
                    m_errors.push_back(where + ": unterminated string");
                    ok = false;
                    break;
                }
                tokens.push_back(Token{true, line.substr(i + 1, end - i - 1), 0.0f});
                i = end + 1;
            } else {
                size_t end = line.find_first_of(" \t", i);
                if (end == std::string::npos)
                    end = line.size();
                const std::string word = line.substr(i, end - i);
                char *stop = nullptr;
                const float v = std::strtof(word.c_str(), &stop);
                if (stop == word.c_str() || *stop != '\0') {
                    m_errors.push_back(where + ": not a number: " + word);
                    ok = false;
                }
                tokens.push_back(Token{false, word, v});
                i = end;
            }
        }
        if (key.empty() || m_entries.count(key) != 0) {
            m_errors.push_back(where + ": empty or repeated key " + key);
            ok = false;
            continue;
        }
        m_entries[key] = tokens;
    }
    return ok;
}

const std::vector<CArtConfig::Token> *CArtConfig::Find(const std::string &key) const {
    const auto it = m_entries.find(key);
    if (it == m_entries.end()) {
        m_errors.push_back("missing key " + key);
        return nullptr;
    }
    return &it->second;
}

Colour CArtConfig::GetColour(const std::string &key) const {
    const std::vector<float> v = GetNumbers(key);
    if (v.size() != 3) {
        m_errors.push_back("colour " + key + " needs three numbers");
        return Colour{1, 0, 1};
    }
    return Colour{v[0] / 255.0f, v[1] / 255.0f, v[2] / 255.0f};
}

std::string CArtConfig::GetText(const std::string &key) const {
    const std::vector<std::string> texts = GetTexts(key);
    if (texts.empty()) {
        m_errors.push_back("text " + key + " has no string");
        return "";
    }
    return texts.front();
}

std::vector<std::string> CArtConfig::GetTexts(const std::string &key) const {
    std::vector<std::string> out;
    if (const std::vector<Token> *tokens = Find(key))
        for (const Token &t : *tokens)
            if (t.isString)
                out.push_back(t.text);
    return out;
}

std::vector<float> CArtConfig::GetNumbers(const std::string &key) const {
    std::vector<float> out;
    if (const std::vector<Token> *tokens = Find(key))
        for (const Token &t : *tokens)
            if (!t.isString)
                out.push_back(t.number);
    return out;
}
