// CMutator: the damage applied to seeds of the robustness run.
#include "CMutator.h"

#include <algorithm>

namespace uirobust {

namespace {

// Values that have broken parsers and layouts before: out of range, negative, empty, long,
// malformed lists, pictures with absurd rectangles.
const char* const kExtremeValues[] = {
    "99999999999",
    "2147483647",
    "-2147483648",
    "-1",
    "0",
    "",
    "#",
    "#FFFFFFFF",
    "#zz",
    "1,2,3,4",
    "-99999,-99999,99999,99999",
    "2147483647,2147483647,2147483647,2147483647",
    "0,0,0,0,0,0,0,0,0,0",
    ",,,",
    "true",
    "TRUE",
    "center",
    "vcenter right bottom",
    "left top",
    "res='110' restype='png'",
    "res='121' restype='png' corner='9999,9999,9999,9999'",
    "file='grid.png' corner='5,5,5,5'",
    "file='grid.png' corner='-5,-5,99999,99999' hole='true'",
    "file='red.png' source='0,0,99999,99999' dest='-5,-5,999999,999999'",
    "file='red.png' dest='2147483647,2147483647,-2147483648,-2147483648'",
    "file='bar.png' fade='0' mask='#FFFF0000' xtiled='true' ytiled='true'",
    "file='pixels.png' source='1,1,1,1' corner='1,1,1,1'",
    "file='",
    "res='65535' restype='png'",
    "<b>x</b>",
    "{a t}link{/a}",
};

// Markup and skin fragments inserted at random places.
const char* const kPieces[] = {
    "<",
    "{",
    ">",
    "}",
    "/",
    "\n",
    " ",
    "=",
    "\"",
    "'",
    "&",
    "&lt;",
    "<b>",
    "</b>",
    "{/b}",
    "<a t>",
    "</a>",
    "<a \xD5\x7D>",
    "<f Tahoma 900 italic>",
    "<f \xCB\xCE\xCC\xE5 12 bold>",
    "<f 99>",
    "</f>",
    "<i frames.png 4 9>",
    "<i red.png 0 -1>",
    "<i>",
    "</i>",
    "<x -5000>",
    "<x 99999>",
    "<y 0>",
    "<y -50>",
    "<y 99999>",
    "<p 99999>",
    "<p -30>",
    "</p>",
    "<c #>",
    "<r>",
    "{/r>",
    "<s>",
    "</s>",
    "<n>",
    "<{>",
    "{<}",
    "\xD5\xFD",
    "\xD5",
    "\x81\x7D",
    "\xFF",
    "<Text showhtml=\"true\" endellipsis=\"true\" align=\"center\" text=\"{b}abc{/b} def\"/>",
    "<Option group=\"g\" name=\"o\"/>",
    "<Option group=\"g\" selected=\"true\"/>",
    "<VerticalLayout>",
    "</VerticalLayout>",
    "<HorizontalLayout>",
    "</HorizontalLayout>",
    "<Container>",
    "</Container>",
    "<Control float=\"true\" pos=\"-5,-5,99999,99999\"/>",
    "<Include source=\"inc.xml\" count=\"3\"/>",
    "<Default name=\"Button\" value=\"width=&quot;-7&quot;\"/>",
    "<Font name=\"Tahoma\" size=\"99999\"/>",
    "<Image name=\"red.png\"/>",
    "<Button text=\"x\" normalimage=\"file='grid.png' corner='5,5,5,5'\"/>",
    "<Progress min=\"5\" max=\"5\" value=\"99999\" foreimage=\"res='121' restype='png'\"/>",
    "<Label text=\"x\" enabledeffect=\"true\" enabledstroke=\"true\" strokecolor=\"#FF00FF00\"/>",
    "<ScrollBar/>",
    "<TabLayout>",
    "<TileLayout>",
    "<TreeNode>",
    "<List>",
};

template <class T, size_t N>
constexpr size_t Count(const T (&)[N]) {
    return N;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

uint32_t CMutator::Next() {
    // xorshift64*: small, fast and the same on every platform.
    state_ ^= state_ >> 12;
    state_ ^= state_ << 25;
    state_ ^= state_ >> 27;
    return static_cast<uint32_t>((state_ * 0x2545F4914F6CDD1Dull) >> 32);
}

std::string CMutator::Mutate(const std::string& seed, const std::vector<std::string>& others,
                             size_t limit) {
    std::string s = seed;
    const int rounds = 1 + static_cast<int>(Below(5));
    for (int i = 0; i < rounds; ++i) {
        switch (Below(9)) {
            case 0:
                Cut(s);
                break;
            case 1:
                Flip(s);
                break;
            case 2:
                DuplicateTag(s);
                break;
            case 3:
                Nest(s);
                break;
            case 4:
            case 5:
                ExtremeValue(s);
                break;
            case 6:
                ExtremeNumber(s);
                break;
            case 7:
                Splice(s, others);
                break;
            default:
                InsertPiece(s);
                break;
        }
        if (s.size() > limit) s.resize(limit);
    }
    return s;
}

void CMutator::Cut(std::string& s) {
    if (s.empty()) return;
    const size_t at = Below(static_cast<uint32_t>(s.size()));
    if (Below(4) == 0)
        s.erase(0, at);  // the front gone
    else
        s.resize(at);
}

void CMutator::Flip(std::string& s) {
    if (s.empty()) return;
    const char interesting[] = "<>{}/=\"' #,-09a\n\x7D\xD5\x81\xFF";
    const int flips = 1 + static_cast<int>(Below(8));
    for (int i = 0; i < flips; ++i) {
        char& c = s[Below(static_cast<uint32_t>(s.size()))];
        switch (Below(3)) {
            case 0:
                c = static_cast<char>(Next());
                break;
            case 1:
                c = static_cast<char>(c ^ (1 << Below(8)));
                break;
            default:
                c = interesting[Below(sizeof(interesting) - 1)];
                break;
        }
    }
}

bool CMutator::PickTag(const std::string& s, size_t& begin, size_t& end) {
    if (s.empty()) return false;
    for (int tries = 0; tries < 8; ++tries) {
        const size_t from = Below(static_cast<uint32_t>(s.size()));
        begin = s.find_first_of("<{", from);
        if (begin == std::string::npos) begin = s.find_first_of("<{");
        if (begin == std::string::npos) return false;
        end = s.find_first_of(">}", begin + 1);
        if (end == std::string::npos) continue;
        ++end;
        return true;
    }
    return false;
}

void CMutator::DuplicateTag(std::string& s) {
    size_t begin = 0, end = 0;
    if (!PickTag(s, begin, end)) return;
    // The tag, or the tag with whatever follows up to the next tag, copied a few times to a
    // random place.
    size_t stop = end;
    if (Below(2) == 0) {
        const size_t next = s.find_first_of("<{", end);
        if (next != std::string::npos) stop = next;
    }
    const std::string piece = s.substr(begin, stop - begin);
    const int copies = 1 + static_cast<int>(Below(4));
    std::string block;
    for (int i = 0; i < copies; ++i) block += piece;
    s.insert(Below(static_cast<uint32_t>(s.size() + 1)), block);
}

void CMutator::Nest(std::string& s) {
    size_t begin = 0, end = 0;
    if (!PickTag(s, begin, end)) return;
    // An opening tag repeated deeply (its closing counterparts, if any, stay single).
    const std::string tag = s.substr(begin, end - begin);
    const uint32_t depths[] = {10, 100, 1000, 5000};
    const uint32_t depth = depths[Below(4)];
    std::string block;
    block.reserve(tag.size() * depth);
    for (uint32_t i = 0; i < depth; ++i) block += tag;
    s.insert(begin, block);
}

void CMutator::ExtremeValue(std::string& s) {
    // The value of a random attribute (="..." or ='...') replaced.
    if (s.empty()) return;
    size_t eq = s.find('=', Below(static_cast<uint32_t>(s.size())));
    if (eq == std::string::npos) eq = s.find('=');
    if (eq == std::string::npos || eq + 1 >= s.size()) return;
    const char quote = s[eq + 1];
    if (quote != '"' && quote != '\'') return;
    const size_t close = s.find(quote, eq + 2);
    if (close == std::string::npos) return;
    std::string value;
    if (Below(8) == 0)
        value.assign(1 + Below(20000), "x9,#<"[Below(5)]);
    else
        value = kExtremeValues[Below(static_cast<uint32_t>(Count(kExtremeValues)))];
    // Inside a double-quoted attribute a single-quoted descriptor stays as it is; the other
    // way round the quotes would end the value early, which is damage of its own.
    s.replace(eq + 2, close - eq - 2, value);
}

void CMutator::ExtremeNumber(std::string& s) {
    // A run of digits (a size, a font index, a picture frame, a pixel count) replaced.
    if (s.empty()) return;
    size_t at = Below(static_cast<uint32_t>(s.size()));
    while (at < s.size() && !IsDigit(s[at])) ++at;
    if (at >= s.size()) return;
    size_t end = at;
    while (end < s.size() && IsDigit(s[end])) ++end;
    const char* const numbers[] = {
        "0", "1", "99999", "2147483647", "4294967295", "99999999999999999999", "-1", "-2147483648"};
    s.replace(at, end - at, numbers[Below(static_cast<uint32_t>(Count(numbers)))]);
}

void CMutator::Splice(std::string& s, const std::vector<std::string>& others) {
    if (others.empty()) return;
    const std::string& other = others[Below(static_cast<uint32_t>(others.size()))];
    if (other.empty()) return;
    const size_t from = Below(static_cast<uint32_t>(other.size()));
    const size_t length = 1 + Below(static_cast<uint32_t>(other.size() - from));
    s.insert(Below(static_cast<uint32_t>(s.size() + 1)), other.substr(from, length));
}

void CMutator::InsertPiece(std::string& s) {
    const int pieces = 1 + static_cast<int>(Below(6));
    for (int i = 0; i < pieces; ++i)
        s.insert(Below(static_cast<uint32_t>(s.size() + 1)),
                 kPieces[Below(static_cast<uint32_t>(Count(kPieces)))]);
}

}  // namespace uirobust
