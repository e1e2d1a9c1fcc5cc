#include "menu_script.h"

#include <cctype>
#include <cstdlib>

namespace {

struct Token {
    enum class Kind { word, number, text, comma, end };
    Kind kind = Kind::end;
    std::string value;
    int line = 0;
};

class Tokenizer {
  public:
    explicit Tokenizer(const IncludedFiles &includes) : includes_(includes) {}

    // Appends the tokens of one file; directives are handled as they come.
    void read(const std::string &text, const std::string &fileName) {
        std::size_t i = 0;
        int line = 1;
        bool lineStart = true;
        while (i < text.size()) {
            const char c = text[i];
            if (c == '\n') {
                ++line;
                lineStart = true;
                ++i;
            } else if (std::isspace(static_cast<unsigned char>(c))) {
                ++i;
            } else if (text.compare(i, 2, "//") == 0) {
                i = text.find('\n', i);
                if (i == std::string::npos)
                    i = text.size();
            } else if (text.compare(i, 2, "/*") == 0) {
                const std::size_t close = text.find("*/", i + 2);
                if (close == std::string::npos)
                    fail(fileName, line, "unterminated comment");
                for (std::size_t k = i; k < close; ++k)
                    line += text[k] == '\n';
                i = close + 2;
            } else if (c == '#' && lineStart) {
                std::size_t endOfLine = text.find('\n', i);
                if (endOfLine == std::string::npos)
                    endOfLine = text.size();
                directive(text.substr(i + 1, endOfLine - i - 1), fileName, line);
                i = endOfLine;
            } else {
                lineStart = false;
                i = token(text, i, fileName, line);
            }
        }
    }

    std::vector<Token> tokens;
    std::map<std::string, std::string> defines;

  private:
    [[noreturn]] static void fail(const std::string &fileName, int line, const std::string &what) {
        throw MenuScriptError(fileName + ":" + std::to_string(line) + ": " + what);
    }

    std::size_t token(const std::string &text, std::size_t i, const std::string &fileName,
                      int line) {
        const char c = text[i];
        if (c == ',') {
            tokens.push_back({Token::Kind::comma, ",", line});
            return i + 1;
        }
        if (c == '{' || c == '}') {
            tokens.push_back({Token::Kind::word, c == '{' ? "BEGIN" : "END", line});
            return i + 1;
        }
        if (c == '"')
            return quoted(text, i, fileName, line);
        std::size_t k = i;
        while (k < text.size() &&
               (std::isalnum(static_cast<unsigned char>(text[k])) || text[k] == '_'))
            ++k;
        if (k == i)
            fail(fileName, line, std::string("unexpected character '") + c + "'");
        const bool digit = std::isdigit(static_cast<unsigned char>(c)) != 0;
        tokens.push_back(
            {digit ? Token::Kind::number : Token::Kind::word, text.substr(i, k - i), line});
        return k;
    }

    // A string; a doubled quote inside it stands for one quote.
    std::size_t quoted(const std::string &text, std::size_t i, const std::string &fileName,
                       int line) {
        std::string value;
        for (std::size_t k = i + 1; k < text.size(); ++k) {
            if (text[k] == '\n')
                break;
            if (text[k] != '"') {
                value += text[k];
            } else if (k + 1 < text.size() && text[k + 1] == '"') {
                value += '"';
                ++k;
            } else {
                tokens.push_back({Token::Kind::text, value, line});
                return k + 1;
            }
        }
        fail(fileName, line, "unterminated string");
    }

    void directive(const std::string &body, const std::string &fileName, int line) {
        std::vector<std::string> words;
        std::size_t i = 0;
        while (i < body.size()) {
            while (i < body.size() && std::isspace(static_cast<unsigned char>(body[i])))
                ++i;
            if (i >= body.size() || body.compare(i, 2, "//") == 0)
                break;
            std::size_t k = i;
            while (k < body.size() && !std::isspace(static_cast<unsigned char>(body[k])))
                ++k;
            words.push_back(body.substr(i, k - i));
            i = k;
        }
        if (words.empty())
            return;
        if (words[0] == "include" && words.size() == 2) {
            const std::string name = words[1].substr(1, words[1].size() - 2);
            const auto found = includes_.find(name);
            if (found == includes_.end())
                fail(fileName, line, "unknown include " + words[1]);
            read(found->second, name);
        } else if (words[0] == "define" && words.size() == 3) {
            defines[words[1]] = words[2];
        } else if (words[0] != "pragma") {
            fail(fileName, line, "unsupported directive #" + words[0]);
        }
    }

    const IncludedFiles &includes_;
};

class Parser {
  public:
    explicit Parser(const Tokenizer &source) : tokens_(source.tokens), defines_(source.defines) {}

    std::vector<MenuResource> menus() {
        std::vector<MenuResource> result;
        while (position_ < tokens_.size())
            result.push_back(menu());
        return result;
    }

  private:
    [[noreturn]] void fail(const std::string &what) const {
        const int line = position_ < tokens_.size() ? tokens_[position_].line : 0;
        throw MenuScriptError("line " + std::to_string(line) + ": " + what);
    }

    const Token &peek() const {
        static const Token end;
        return position_ < tokens_.size() ? tokens_[position_] : end;
    }

    const Token &next() {
        if (position_ >= tokens_.size())
            fail("unexpected end of script");
        return tokens_[position_++];
    }

    bool nextIs(const char *word) const {
        return peek().kind == Token::Kind::word && peek().value == word;
    }

    void expect(const char *word) {
        if (!nextIs(word))
            fail(std::string("expected ") + word);
        ++position_;
    }

    void expectComma() {
        if (peek().kind != Token::Kind::comma)
            fail("expected ,");
        ++position_;
    }

    // A number, or an identifier that #define made a number.
    int value() {
        if (peek().kind != Token::Kind::word && peek().kind != Token::Kind::number)
            fail("expected a number");
        std::string text = peek().value;
        for (int depth = 0; depth < 16 && defines_.count(text); ++depth)
            text = defines_.at(text);
        char *end = nullptr;
        const long number = std::strtol(text.c_str(), &end, 0);
        if (text.empty() || *end != '\0')
            fail("not a number: " + text);
        ++position_;
        return static_cast<int>(number);
    }

    std::string text() {
        if (peek().kind != Token::Kind::text)
            fail("expected a string");
        return next().value;
    }

    MenuResource menu() {
        MenuResource resource;
        resource.id = value();
        expect("MENU");
        if (nextIs("LANGUAGE")) {
            ++position_;
            const int primary = value();
            expectComma();
            const int sub = value();
            resource.language = (sub << 10) | primary;
        }
        resource.entries = block();
        return resource;
    }

    std::vector<MenuEntry> block() {
        expect("BEGIN");
        std::vector<MenuEntry> entries;
        while (!nextIs("END"))
            entries.push_back(entry());
        ++position_;
        return entries;
    }

    MenuEntry entry() {
        MenuEntry entry;
        if (nextIs("POPUP")) {
            ++position_;
            entry.kind = MenuEntry::Kind::popup;
            entry.text = text();
            entry.children = block();
        } else if (nextIs("MENUITEM")) {
            ++position_;
            if (nextIs("SEPARATOR")) {
                ++position_;
                entry.kind = MenuEntry::Kind::separator;
            } else {
                entry.text = text();
                expectComma();
                entry.id = value();
            }
        } else {
            fail("expected POPUP, MENUITEM or END");
        }
        return entry;
    }

    const std::vector<Token> &tokens_;
    const std::map<std::string, std::string> &defines_;
    std::size_t position_ = 0;
};

} // namespace

std::vector<MenuResource> readMenuScript(const std::string &script, const IncludedFiles &includes) {
    Tokenizer tokenizer(includes);
    tokenizer.read(script, "script");
    return Parser(tokenizer).menus();
}
