// Converts the repository's readable UTF-8 resource sources into the UTF-16LE
// files (byte-order mark, CR LF line ends) that the program reads at run time.
//
//   kolt_resgen def  IN.txt OUT.def          one definition file
//   kolt_resgen dict OUT.txt IN.tsv...       the dictionary from column files
//
// Dictionary sources hold one phrase per line as "English<TAB>German<TAB>French";
// blank lines, lines starting with ";;" and phrases already given are skipped. Each column becomes one
// block of the dictionary, closed by a "***" line.
#include <cctype>
#include <cstdio>
#include <set>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool readFile(const std::string& path, std::string& out)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    out = ss.str();
    if (out.size() >= 3 && static_cast<unsigned char>(out[0]) == 0xEF
        && static_cast<unsigned char>(out[1]) == 0xBB && static_cast<unsigned char>(out[2]) == 0xBF)
        out.erase(0, 3);
    return true;
}

std::vector<std::string> splitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string cur;
    for (char c : text) {
        if (c == '\n') {
            if (!cur.empty() && cur.back() == '\r')
                cur.pop_back();
            lines.push_back(cur);
            cur.clear();
        } else {
            cur += c;
        }
    }
    if (!cur.empty())
        lines.push_back(cur);
    return lines;
}

// Appends the UTF-16LE form of a UTF-8 line; returns false on malformed input.
bool appendUtf16(const std::string& s, std::string& out)
{
    size_t i = 0;
    while (i < s.size()) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        unsigned cp = 0;
        int extra = 0;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else return false;
        if (i + extra >= s.size() + (extra ? 0 : 1) && extra)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if (i + k >= s.size())
                return false;
            unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (cc & 0x3F);
        }
        i += extra + 1;
        auto put = [&out](unsigned u) {
            out += static_cast<char>(u & 0xFF);
            out += static_cast<char>((u >> 8) & 0xFF);
        };
        if (cp >= 0x10000) {
            cp -= 0x10000;
            put(0xD800 + (cp >> 10));
            put(0xDC00 + (cp & 0x3FF));
        } else {
            put(cp);
        }
    }
    return true;
}

bool writeFile(const std::string& path, const std::string& data)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
    return static_cast<bool>(out);
}

const std::string kBom("\xFF\xFE", 2);
const std::string kCrLf("\r\0\n\0", 4);

int makeDefinition(const std::string& in, const std::string& outPath)
{
    std::string text;
    if (!readFile(in, text)) {
        std::cerr << "resgen: cannot read " << in << "\n";
        return 1;
    }
    std::string out = kBom;
    int lineNo = 0;
    for (const auto& line : splitLines(text)) {
        ++lineNo;
        if (line.empty())
            continue; // a blank line would become a field without a name
        if (!appendUtf16(line, out)) {
            std::cerr << in << ":" << lineNo << ": not valid UTF-8\n";
            return 1;
        }
        out += kCrLf;
    }
    return writeFile(outPath, out) ? 0 : 1;
}

int makeDictionary(const std::string& outPath, int argc, char** argv)
{
    std::vector<std::vector<std::string>> columns;
    std::set<std::string> seen;
    for (int a = 0; a < argc; ++a) {
        std::string text;
        if (!readFile(argv[a], text)) {
            std::cerr << "resgen: cannot read " << argv[a] << "\n";
            return 1;
        }
        int lineNo = 0;
        for (const auto& line : splitLines(text)) {
            ++lineNo;
            if (line.empty() || line.rfind(";;", 0) == 0)
                continue;
            std::vector<std::string> cells;
            std::string cur;
            for (char c : line) {
                if (c == '\t') { cells.push_back(cur); cur.clear(); }
                else cur += c;
            }
            cells.push_back(cur);
            if (columns.empty())
                columns.resize(cells.size());
            // The lookup takes the first match ignoring case, so a phrase
            // repeated by a later file could never be used: keep one.
            std::string key = cells[0];
            for (char& ch : key)
                ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            if (!seen.insert(key).second)
                continue;
            if (cells.size() != columns.size()) {
                std::cerr << argv[a] << ":" << lineNo << ": expected " << columns.size()
                          << " tab-separated phrases, found " << cells.size() << "\n";
                return 1;
            }
            for (size_t k = 0; k < cells.size(); ++k)
                columns[k].push_back(cells[k]);
        }
    }
    std::string out = kBom;
    for (const auto& column : columns) {
        for (const auto& phrase : column) {
            if (!appendUtf16(phrase, out)) {
                std::cerr << "resgen: a phrase is not valid UTF-8: " << phrase << "\n";
                return 1;
            }
            out += kCrLf;
        }
        appendUtf16("***", out);
        out += kCrLf;
    }
    return writeFile(outPath, out) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::string(argv[1]) == "def")
        return makeDefinition(argv[2], argv[3]);
    if (argc >= 4 && std::string(argv[1]) == "dict")
        return makeDictionary(argv[2], argc - 3, argv + 3);
    std::cerr << "usage: kolt_resgen def IN OUT | dict OUT IN...\n";
    return 2;
}
