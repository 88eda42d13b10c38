// CRenderer::DrawHtmlText: text with a small inline markup, drawn with GDI and the fonts of the
// window manager's table, or only measured (DT_CALCRECT).
//
// Markup: a tag opens with "<" or "{", then one lower-case letter, then a space or a closing
// bracket (">" or "}"); it ends at the next closing bracket, and the brackets may be mixed.
// "</x>" (either brackets) closes tag x. "<{>", "<}>", "{<}" and "{>}" draw the middle bracket.
//
// Sections:
//   1. Markup scanning helpers
//   2. Per-call state (stacks, position, links)
//   3. Runs of plain text (measuring, cutting, drawing)
//   4. Tags
//   5. Lines and the operation itself
#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/controls/CRenderer.h"
#include "ui/controls/RendererLink.h"

namespace SkinUI {

namespace {

// ---------------------------------------------------------------------------------------------
// 1. Markup scanning helpers
// ---------------------------------------------------------------------------------------------

bool IsOpenBracket(char c) {
    return c == '<' || c == '{';
}
bool IsCloseBracket(char c) {
    return c == '>' || c == '}';
}
bool IsTagLetter(char c) {
    return c >= 'a' && c <= 'z';
}

// An opening tag at p: bracket, letter, then a space or a closing bracket.
bool IsOpenTag(const char* p) {
    return IsOpenBracket(p[0]) && IsTagLetter(p[1]) && (p[2] == ' ' || IsCloseBracket(p[2]));
}

bool IsCloseTag(const char* p) {
    return IsOpenBracket(p[0]) && p[1] == '/' && IsTagLetter(p[2]) && IsCloseBracket(p[3]);
}

// "<{>" and friends: three bytes, the middle one drawn.
bool IsEscape(const char* p) {
    return (p[0] == '<' && (p[1] == '{' || p[1] == '}') && p[2] == '>') ||
           (p[0] == '{' && (p[1] == '<' || p[1] == '>') && p[2] == '}');
}

bool IsRawEnd(const char* p) {
    return IsCloseTag(p) && p[2] == 'r';
}

// Where a run of plain text starting at p ends: at a tag, an escape, a line feed or the end.
// In raw mode only the closing r tag and line feeds end it.
const char* RunEnd(const char* p, bool raw) {
    const char* e = p;
    while (*e != '\0' && *e != '\n') {
        if (raw) {
            if (IsRawEnd(e)) break;
        } else if (IsOpenBracket(*e) && (IsOpenTag(e) || IsCloseTag(e) || IsEscape(e))) {
            break;
        }
        e += (::IsDBCSLeadByte(static_cast<BYTE>(*e)) && e[1] != '\0') ? 2 : 1;
    }
    return e;
}

// The closing bracket of a tag whose argument starts at p (or the end of the text). Stepped by
// characters: a double-byte character may have "}" as its trail byte (GBK), and that byte is
// part of a link text or face name, not the end of the tag.
const char* TagArgumentEnd(const char* p) {
    while (*p != '\0' && !IsCloseBracket(*p))
        p += (::IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1] != '\0') ? 2 : 1;
    return p;
}

// Byte offsets of the character boundaries of [p, p + n): 0, ..., n; or of its first
// `maxChars` characters only.
std::vector<int> CharBoundaries(const char* p, int n, size_t maxChars) {
    std::vector<int> b;
    b.push_back(0);
    int i = 0;
    while (i < n && b.size() <= maxChars) {
        i += (::IsDBCSLeadByte(static_cast<BYTE>(p[i])) && i + 1 < n) ? 2 : 1;
        b.push_back(i);
    }
    return b;
}

bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

const char* SkipSpaces(const char* p, const char* end) {
    while (p < end && *p == ' ') ++p;
    return p;
}

// ---------------------------------------------------------------------------------------------
// 2. Per-call state
// ---------------------------------------------------------------------------------------------

using RendererLink::TFontRef;

// What a line's passes start from and what the next line inherits.
struct TMarkupState {
    std::vector<TFontRef> fonts;
    std::vector<DWORD> colors;
    std::vector<int> spacings;
    bool raw = false;
    bool selected = false;
    bool linkOpen = false;
    std::string linkText;

    const TFontRef& Font() const { return fonts.back(); }
    int Spacing() const { return spacings.back(); }
    int FontLineHeight() const {
        return Font().metrics.tmHeight + Font().metrics.tmExternalLeading;
    }
};

struct TLinkOut {
    RECT* rects = nullptr;
    std::string* texts = nullptr;
    int capacity = 0;
    int index = 0;      // links started so far (recorded or not)
    int lineFirst = 0;  // first index recorded on the current line
};

struct TContext {
    HDC dc = nullptr;
    CWindowManagerUI* manager = nullptr;
    RECT rc = {};
    UINT flags = 0;
    bool calc = false;
    bool singleLine = false;
    std::string hoverLink;
    bool hasHover = false;
    TLinkOut links;

    // Position and line.
    int x = 0;
    int y = 0;
    int lineHeight = 0;
    int maxX = 0;
    int pictureBottom = 0;
    POINT linkStart = {0, 0};
    // Alignment shift of the latest run on this line, and whether the open link's start still
    // waits for the shift of its first run.
    int runShift = 0;
    bool linkStartPending = false;

    // Text widths found by a line's measuring pass, replayed in the same order by its drawing
    // pass (the same runs with the same fonts), so each width is measured once.
    std::vector<int> widths;
    size_t replay = 0;
    bool replaying = false;

    // The latest run of plain text found, [runFrom, runTo), and whether in raw mode.
    const char* runFrom = nullptr;
    const char* runTo = nullptr;
    bool runRaw = false;
};

// ---------------------------------------------------------------------------------------------
// 3. Runs of plain text
// ---------------------------------------------------------------------------------------------

template <class F>
int Measured(TContext& c, F measure) {
    if (c.replaying && c.replay < c.widths.size()) return c.widths[c.replay++];
    const int width = measure();
    if (!c.replaying) c.widths.push_back(width);
    return width;
}

SIZE Extent(HDC dc, const char* p, int n) {
    SIZE size = {0, 0};
    if (n > 0) ::GetTextExtentPoint32A(dc, p, n, &size);
    return size;
}

// Largest number of whole characters of [p, p + n) that fit in `room` pixels. One call of
// GetTextExtentExPointW gives it when each character is one UTF-16 unit (always so for the
// single- and double-byte code pages), together with the width of every prefix that fits
// (`prefixWidths[i]` spans the first i + 1 characters), so cutting the run costs no further
// measurement; otherwise bisection on exact extents, and no prefix widths.
size_t FitCount(HDC dc, const char* p, int n, const std::vector<int>& bounds, int room,
                std::vector<int>& prefixWidths) {
    prefixWidths.clear();
    if (room <= 0) return 0;
    const size_t chars = bounds.size() - 1;
    std::wstring wide(static_cast<size_t>(n), L'\0');
    const int units = ::MultiByteToWideChar(CP_ACP, 0, p, n, &wide[0], n);
    if (units == static_cast<int>(chars)) {
        INT fit = 0;
        SIZE size = {0, 0};
        std::vector<INT> dx(static_cast<size_t>(units));
        ++HtmlTextMeasureCount();
        if (::GetTextExtentExPointW(dc, wide.c_str(), units, room, &fit, dx.data(), &size)) {
            fit = std::max(0, std::min(fit, units));
            prefixWidths.assign(dx.begin(), dx.begin() + fit);
            return static_cast<size_t>(fit);
        }
    }
    size_t lo = 0;
    size_t hi = chars;
    while (lo < hi) {
        const size_t mid = (lo + hi + 1) / 2;
        ++HtmlTextMeasureCount();
        if (Extent(dc, p, bounds[mid]).cx <= room)
            lo = mid;
        else
            hi = mid - 1;
    }
    return lo;
}

// One pass over a line: whether it draws, and whether it is the pass whose effects (links,
// widest x) count.
struct TPass {
    bool drawing = false;
    bool final = false;
};

void ApplyFont(TContext& c, const TMarkupState& s) {
    ::SelectObject(c.dc, s.Font().font);
}

void DrawRunText(TContext& c, const TMarkupState& s, int drawX, const char* p, int n) {
    if (n <= 0) return;
    const int top = c.y + c.lineHeight - s.FontLineHeight();
    ::SetTextColor(c.dc, ToColorRef(s.colors.back()));
    ::TextOutA(c.dc, drawX, top, p, n);
}

// How far a run of this width is moved right when drawn in centred or right-aligned multi-line
// text. It is also remembered as the shift of the latest run, so that link rectangles cover the
// link where it is drawn, not where it was laid out.
int AlignShift(TContext& c, int runWidth) {
    int shift = 0;
    if (!c.calc && !c.singleLine) {
        const int width = c.rc.right - c.rc.left;
        if (c.flags & DT_CENTER) shift += (width - runWidth) / 2;
        if (c.flags & DT_RIGHT) shift += width - runWidth;
    }
    c.runShift = shift;
    if (c.linkStartPending) {
        c.linkStart.x += shift;
        c.linkStartPending = false;
    }
    return shift;
}

// Lays out the run [p, end) from the current x. Returns the bytes consumed; sets `overflow`
// when the line ends inside (or right before) the run.
int LayOutRun(TContext& c, const TMarkupState& s, const TPass& pass, const char* p, const char* end,
              int lineLeft, bool& overflow) {
    overflow = false;
    const int n = static_cast<int>(end - p);
    if (n <= 0) return 0;
    ApplyFont(c, s);
    const int room = c.rc.right - c.x;
    const int average = std::max(1, static_cast<int>(s.Font().metrics.tmAveCharWidth));
    // The average width says whether measuring the whole run is worth it: a run estimated at
    // well past the edge goes straight to finding its cut.
    int take = n;
    SIZE size = {0, 0};
    bool fits = false;
    std::vector<int> bounds;
    std::vector<int> prefixWidths;
    size_t lo = 0;
    bool cutFound = false;
    // Width of the first `count` characters: from the fit's prefix widths when it has them,
    // measured otherwise.
    auto prefixWidth = [&](size_t count) {
        if (count == 0) return 0;
        if (count <= prefixWidths.size()) return prefixWidths[count - 1];
        ++HtmlTextMeasureCount();
        return static_cast<int>(Extent(c.dc, p, bounds[count]).cx);
    };
    // Only a prefix that could fit is measured, doubled while all of it fits: a long run
    // that is cut on many lines would otherwise be measured whole on each of them.
    auto findCut = [&] {
        bounds.clear();
        lo = static_cast<size_t>(Measured(c, [&] {
            size_t limit = 16 + 2 * static_cast<size_t>(std::max(room, 0) / average);
            for (;;) {
                bounds = CharBoundaries(p, n, limit);
                const size_t fit = FitCount(c.dc, p, bounds.back(), bounds, room, prefixWidths);
                if (fit < bounds.size() - 1 || bounds.back() == n) return static_cast<int>(fit);
                limit *= 2;
            }
        }));
        // Replayed: the boundaries up to one character past the cut are enough.
        if (bounds.empty()) bounds = CharBoundaries(p, n, lo + 1);
        cutFound = true;
    };
    if (static_cast<long long>(n) * average <=
        static_cast<long long>(std::max(room, 0)) + average) {
        size.cx = Measured(c, [&] {
            ++HtmlTextMeasureCount();
            return static_cast<int>(Extent(c.dc, p, n).cx);
        });
        fits = size.cx <= room;
    } else {
        // Estimated past the edge: one fit measurement finds the cut, and also tells when
        // the whole run fits after all (with its width), so it is never measured twice.
        findCut();
        if (lo == bounds.size() - 1 && bounds.back() == n) {
            size.cx = Measured(c, [&] { return prefixWidth(lo); });
            fits = true;
        }
    }
    if (!fits) {
        overflow = true;
        if (!cutFound) findCut();
        size_t chars = lo;
        if (c.flags & DT_WORDBREAK) {
            // Break after the last character that is not an ASCII letter.
            size_t k = chars;
            while (k > 0 && IsAsciiLetter(p[bounds[k - 1]]) && bounds[k] - bounds[k - 1] == 1) --k;
            if (k > 0 || c.x > lineLeft) chars = k;
        }
        // A line must make progress: at its start, at least one character goes on it, and
        // the ellipsis may not take that one away again, or the next line would start at the
        // same place for ever.
        const size_t least = c.x <= lineLeft ? 1 : 0;
        chars = std::max(chars, least);
        bool ellipsis = false;
        int dots = 0;
        if ((c.flags & DT_END_ELLIPSIS) && chars > 0) {
            dots = Measured(c, [&] {
                ++HtmlTextMeasureCount();
                return static_cast<int>(Extent(c.dc, "...", 3).cx);
            });
            for (int cut = 0;
                 cut < 2 && chars > least &&
                 c.x + Measured(c, [&] { return prefixWidth(chars); }) + dots > c.rc.right;
                 ++cut)
                --chars;
            ellipsis = true;
        }
        take = bounds[chars];
        size.cx = Measured(c, [&] { return prefixWidth(chars); });
        const int drawX = c.x + AlignShift(c, size.cx + dots);
        if (pass.drawing) {
            DrawRunText(c, s, drawX, p, take);
            if (ellipsis) DrawRunText(c, s, drawX + size.cx, "...", 3);
        }
        c.x = ellipsis ? c.rc.right : c.x + size.cx;
        if (pass.final) c.maxX = std::max(c.maxX, c.x);
        return take;
    }
    const int drawX = c.x + AlignShift(c, size.cx);
    if (pass.drawing) DrawRunText(c, s, drawX, p, take);
    c.x += size.cx;
    if (pass.final) c.maxX = std::max(c.maxX, c.x);
    return take;
}

// ---------------------------------------------------------------------------------------------
// 4. Tags
// ---------------------------------------------------------------------------------------------

// A tag's pixel count, written for 96 DPI, in the window's pixels.
int ScaledArgument(const TContext& c, const char* arg, const char* argEnd) {
    const int value = std::atoi(std::string(SkipSpaces(arg, argEnd), argEnd).c_str());
    return RendererLink::Scale(c.manager, value);
}

TFontRef Variant(TContext& c, const TFontRef& f, bool bold, bool underline, bool italic) {
    TFontRef v =
        RendererLink::FindOrAddFont(c.manager, c.dc, f.face, f.size, bold, underline, italic);
    return v.font != nullptr ? v : f;
}

void RaiseLine(TContext& c, const TMarkupState& s, const TPass& pass) {
    if (pass.drawing) return;  // the drawing pass uses the height its measuring pass found
    c.lineHeight = std::max(c.lineHeight, s.Spacing() + s.FontLineHeight());
}

void PushFont(TContext& c, TMarkupState& s, const TFontRef& f, const TPass& pass) {
    s.fonts.push_back(f);
    RaiseLine(c, s, pass);
}

// Pops never remove the bottom entry: a stray closing tag cannot empty a stack.
template <class T>
void PopKeepBottom(std::vector<T>& v) {
    if (v.size() > 1) v.pop_back();
}

DWORD ParseColor(const char* p, const char* end) {
    p = SkipSpaces(p, end);
    if (p < end && *p == '#') ++p;
    return static_cast<DWORD>(std::strtoul(std::string(p, end).c_str(), nullptr, 16));
}

TFontRef ParseFontTag(TContext& c, const char* p, const char* end) {
    p = SkipSpaces(p, end);
    if (p < end && std::isdigit(static_cast<unsigned char>(*p)))
        return RendererLink::FontAt(c.manager, c.dc, std::atoi(std::string(p, end).c_str()));
    const char* faceEnd = p;
    while (faceEnd < end && *faceEnd != ' ') ++faceEnd;
    const std::string face(p, faceEnd);
    p = SkipSpaces(faceEnd, end);
    int size = 10;
    if (p < end && std::isdigit(static_cast<unsigned char>(*p))) {
        size = std::atoi(std::string(p, end).c_str());
        while (p < end && std::isdigit(static_cast<unsigned char>(*p))) ++p;
    }
    std::string words(p, end);
    for (char& ch : words) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    const bool bold = words.find("bold") != std::string::npos;
    const bool underline = words.find("underline") != std::string::npos;
    const bool italic = words.find("italic") != std::string::npos;
    return RendererLink::FindOrAddFont(c.manager, c.dc, face, size, bold, underline, italic);
}

// An inline picture: a name, or file='..' / res='..' and restype='..' items, then an optional
// frame count and frame index.
struct TInlinePicture {
    std::string name;
    std::string type;
    int frames = 1;
    int frame = 0;
};

TInlinePicture ParsePictureTag(const char* p, const char* end) {
    TInlinePicture pic;
    p = SkipSpaces(p, end);
    bool items = false;
    for (;;) {
        const char* eq = p;
        while (eq < end && *eq != '=' && *eq != ' ') ++eq;
        if (eq + 1 >= end || *eq != '=' || eq[1] != '\'') break;
        const char* valueEnd = static_cast<const char*>(std::memchr(eq + 2, '\'', end - eq - 2));
        if (valueEnd == nullptr) break;
        const std::string key(p, eq);
        const std::string value(eq + 2, valueEnd);
        if (key == "file" || key == "res") pic.name = value;
        if (key == "restype") pic.type = value;
        items = true;
        p = SkipSpaces(valueEnd + 1, end);
    }
    if (!items) {
        const char* nameEnd = p;
        while (nameEnd < end && *nameEnd != ' ') ++nameEnd;
        pic.name.assign(p, nameEnd);
        p = SkipSpaces(nameEnd, end);
    }
    if (p < end) {
        char* next = nullptr;
        const std::string rest(p, end);
        const long frames = std::strtol(rest.c_str(), &next, 10);
        if (next != rest.c_str()) {
            pic.frames = frames >= 1 ? static_cast<int>(frames) : 1;
            const char* q = next;
            char* after = nullptr;
            const long frame = std::strtol(q, &after, 10);
            if (after != q) pic.frame = static_cast<int>(frame);
        }
    }
    if (pic.frame < 0 || pic.frame >= pic.frames) pic.frame = 0;
    return pic;
}

enum class TagResult {
    Continue,     // tag consumed, line goes on
    BreakAfter,   // tag consumed, line ends
    BreakBefore,  // tag not consumed, line ends first (it is handled on the next line)
};

void CloseLink(TContext& c, TMarkupState& s, const TPass& pass, int right) {
    if (pass.final && c.links.index < c.links.capacity && c.links.rects != nullptr) {
        c.links.rects[c.links.index] = {c.linkStart.x, c.linkStart.y, right, c.y + c.lineHeight};
    }
    if (pass.final) ++c.links.index;
    s.linkOpen = false;
    c.linkStartPending = false;
}

TagResult OpenTag(TContext& c, TMarkupState& s, const TPass& pass, char letter, const char* arg,
                  const char* argEnd, int lineLeft) {
    const TFontRef& f = s.Font();
    switch (letter) {
        case 'a': {
            s.linkOpen = true;
            s.linkText.assign(SkipSpaces(arg, argEnd), argEnd);
            if (pass.final && c.links.index < c.links.capacity && c.links.texts != nullptr)
                c.links.texts[c.links.index] = s.linkText;
            const bool hover = c.hasHover && c.hoverLink == s.linkText;
            s.colors.push_back(hover ? RendererLink::LinkHoverColor(c.manager)
                                     : RendererLink::LinkColor(c.manager));
            PushFont(c, s, f.underline ? f : Variant(c, f, f.bold, true, f.italic), pass);
            c.linkStart = {c.x, c.y};
            c.linkStartPending = true;
            c.runShift = 0;  // an empty link ends where it starts
            break;
        }
        case 'b':
            PushFont(c, s, f.bold ? f : Variant(c, f, true, f.underline, f.italic), pass);
            break;
        case 'c':
            s.colors.push_back(ParseColor(arg, argEnd));
            break;
        case 'f': {
            TFontRef font = ParseFontTag(c, arg, argEnd);
            PushFont(c, s, font.font != nullptr ? font : f, pass);
            break;
        }
        case 'i': {
            if (SkipSpaces(arg, argEnd) == argEnd) {
                PushFont(c, s, Variant(c, f, f.bold, f.underline, true), pass);
                break;
            }
            const TInlinePicture pic = ParsePictureTag(arg, argEnd);
            const TImageInfo* image =
                pic.name.empty() ? nullptr
                                 : RendererLink::GetImageOrLoad(
                                       c.manager, pic.name.c_str(),
                                       pic.type.empty() ? nullptr : pic.type.c_str(), 0, false);
            if (image == nullptr) break;  // pictures that cannot be loaded are skipped
            const int sourceWidth = image->width / pic.frames;
            // Pictures are drawn at the skin's scale, as the text around them is.
            const int frameWidth = RendererLink::Scale(c.manager, sourceWidth);
            const int height = RendererLink::Scale(c.manager, image->height);
            if (c.x + frameWidth > c.rc.right && c.x > lineLeft && !c.singleLine)
                return TagResult::BreakBefore;
            if (!pass.drawing) c.lineHeight = std::max(c.lineHeight, height);
            int top = c.y + c.lineHeight - height;
            if (height < c.lineHeight) top = c.y + (c.lineHeight - height) / 2;
            if (pass.drawing) {
                const RECT dest = {c.x, top, c.x + frameWidth, top + height};
                const RECT source = {pic.frame * sourceWidth, 0, (pic.frame + 1) * sourceWidth,
                                     image->height};
                const RECT none = {0, 0, 0, 0};
                CRenderer::DrawBitmap(c.dc, image->bitmap.get(), dest, dest, source, none,
                                      image->hasAlpha, 255, false, false, false, nullptr,
                                      RendererLink::Dpi(c.manager) != 96);
            }
            c.x += frameWidth;
            if (pass.final) {
                c.maxX = std::max(c.maxX, c.x);
                c.pictureBottom = std::max(c.pictureBottom, top + height);
            }
            break;
        }
        case 'n':
            if (!c.singleLine) return TagResult::BreakAfter;
            break;
        case 'p': {
            if (c.x > lineLeft && !c.singleLine) return TagResult::BreakBefore;
            s.spacings.push_back(ScaledArgument(c, arg, argEnd));
            RaiseLine(c, s, pass);
            break;
        }
        case 'r':
            s.raw = true;
            break;
        case 's':
            s.selected = !s.selected;
            if (pass.drawing) ::SetBkMode(c.dc, s.selected ? OPAQUE : TRANSPARENT);
            break;
        case 'u':
            PushFont(c, s, f.underline ? f : Variant(c, f, f.bold, true, f.italic), pass);
            break;
        case 'x':
            c.x += ScaledArgument(c, arg, argEnd);
            break;
        case 'y':
            if (!pass.drawing) c.lineHeight = ScaledArgument(c, arg, argEnd);
            break;
        default:
            break;  // unknown letters are skipped
    }
    return TagResult::Continue;
}

TagResult CloseTag(TContext& c, TMarkupState& s, const TPass& pass, char letter, int lineLeft) {
    switch (letter) {
        case 'a':
            if (s.linkOpen) CloseLink(c, s, pass, c.x + c.runShift);
            PopKeepBottom(s.colors);
            PopKeepBottom(s.fonts);
            break;
        case 'b':
        case 'f':
        case 'u':
            PopKeepBottom(s.fonts);
            break;
        case 'c':
            PopKeepBottom(s.colors);
            break;
        case 'i': {
            const bool wasItalic = s.Font().italic;
            PopKeepBottom(s.fonts);
            if (wasItalic && !s.Font().italic) {
                // Leaving italics: room for the slant of the last glyph.
                ApplyFont(c, s);
                ABC abc = {};
                if (::GetCharABCWidthsA(c.dc, ' ', ' ', &abc)) c.x += abc.abcC / 2;
            }
            break;
        }
        case 'p':
            PopKeepBottom(s.spacings);
            if (c.x > lineLeft && !c.singleLine) return TagResult::BreakAfter;
            break;
        case 'r':
            s.raw = false;
            break;
        case 's':
            s.selected = !s.selected;
            if (pass.drawing) ::SetBkMode(c.dc, s.selected ? OPAQUE : TRANSPARENT);
            break;
        default:
            break;
    }
    return TagResult::Continue;
}

// ---------------------------------------------------------------------------------------------
// 5. Lines and the operation itself
// ---------------------------------------------------------------------------------------------

enum class LineEnd { TextEnd, Break, Overflow };

// One pass over one line from p; returns how the line ended and leaves p after it.
LineEnd RunLine(TContext& c, TMarkupState& s, const TPass& pass, const char*& p) {
    const int lineLeft = c.rc.left;
    c.x = lineLeft;
    c.runShift = 0;
    // A link continued from the line before starts again at this line's left (each pass).
    if (s.linkOpen) c.linkStart = {lineLeft, c.y};
    c.linkStartPending = s.linkOpen;
    if (pass.drawing) ::SetBkMode(c.dc, s.selected ? OPAQUE : TRANSPARENT);
    while (*p != '\0') {
        if (*p == '\n') {
            ++p;
            if (!c.singleLine) return LineEnd::Break;
            continue;
        }
        if (!s.raw && IsEscape(p)) {
            bool overflow = false;
            // When the bracket does not fit it is not consumed and starts the next line.
            if (LayOutRun(c, s, pass, p + 1, p + 2, lineLeft, overflow) > 0) p += 3;
            if (overflow) return LineEnd::Overflow;
            continue;
        }
        if (s.raw && IsRawEnd(p)) {
            s.raw = false;
            p += 4;
            continue;
        }
        if (!s.raw && IsCloseTag(p)) {
            const char letter = p[2];
            p += 4;
            if (CloseTag(c, s, pass, letter, lineLeft) == TagResult::BreakAfter)
                return LineEnd::Break;
            continue;
        }
        if (!s.raw && IsOpenTag(p)) {
            const char letter = p[1];
            const char* arg = p + 2;
            const char* close = TagArgumentEnd(arg);
            const TagResult r = OpenTag(c, s, pass, letter, arg, close, lineLeft);
            if (r == TagResult::BreakBefore) return LineEnd::Break;
            p = *close != '\0' ? close + 1 : close;
            if (r == TagResult::BreakAfter) return LineEnd::Break;
            continue;
        }
        // A run cut on one line goes on at a character boundary on the next, where it still
        // ends at the same place: found once, not again on every line.
        const bool sameRun = p >= c.runFrom && p < c.runTo && s.raw == c.runRaw;
        const char* end = sameRun ? c.runTo : RunEnd(p, s.raw);
        c.runFrom = p;
        c.runTo = end;
        c.runRaw = s.raw;
        if (end == p) end = p + 1;  // a lone bracket that starts nothing is plain text
        bool overflow = false;
        p += LayOutRun(c, s, pass, p, end, lineLeft, overflow);
        if (overflow) return LineEnd::Overflow;
    }
    return LineEnd::TextEnd;
}

}  // namespace

long& HtmlTextMeasureCount() {
    static long count = 0;
    return count;
}

void CRenderer::DrawHtmlText(HDC dc, CWindowManagerUI* manager, RECT& rect, LPCSTR text,
                             DWORD color, RECT* links, std::string* linkTexts, int& linkCount,
                             UINT flags) {
    const int capacity = linkCount;
    linkCount = 0;
    if (dc == nullptr || manager == nullptr || text == nullptr || *text == '\0' ||
        ::IsRectEmpty(&rect))
        return;
    const bool calc = (flags & DT_CALCRECT) != 0;

    CRenderClip clip;
    if (!calc) CRenderClip::GenerateClip(dc, rect, clip);
    const TFontRef defaultFont = RendererLink::DefaultFont(manager, dc);
    SelectGuard restoreFont(dc, defaultFont.font);
    const int oldMode = ::SetBkMode(dc, TRANSPARENT);
    const COLORREF oldText = ::SetTextColor(dc, ToColorRef(color));
    const COLORREF oldBk = ::SetBkColor(dc, ToColorRef(RendererLink::SelectedBkColor(manager)));

    TContext c;
    c.dc = dc;
    c.manager = manager;
    c.rc = rect;
    c.flags = flags;
    c.calc = calc;
    c.singleLine = (flags & DT_SINGLELINE) != 0;

    // Aligned drawing measures first and moves the rectangle. Multi-line text is measured at
    // its own width so the height that vertical alignment uses counts the wrapped lines.
    if (!calc && (flags & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) {
        RECT extent = {0, 0, c.singleLine ? 9999 : rect.right - rect.left, 100};
        int none = 0;
        DrawHtmlText(dc, manager, extent, text, color, nullptr, nullptr, none, flags | DT_CALCRECT);
        const int ew = extent.right - extent.left;
        const int eh = extent.bottom - extent.top;
        if (c.singleLine && (flags & DT_CENTER))
            c.rc.left = rect.left + (rect.right - rect.left) / 2 - ew / 2;
        else if (c.singleLine && (flags & DT_RIGHT))
            c.rc.left = rect.right - ew;
        if (flags & DT_VCENTER)
            c.rc.top = rect.top + (rect.bottom - rect.top) / 2 - eh / 2;
        else if (flags & DT_BOTTOM)
            c.rc.top = rect.bottom - eh;
    }

    // Hover: the link text under the manager's last mouse position.
    const POINT mouse = RendererLink::MousePos(manager);
    for (int i = 0; links != nullptr && linkTexts != nullptr && i < capacity; ++i) {
        if (::PtInRect(&links[i], mouse)) {
            c.hoverLink = linkTexts[i];
            c.hasHover = true;
            break;
        }
    }
    c.links.rects = links;
    c.links.texts = linkTexts;
    c.links.capacity = (links != nullptr && linkTexts != nullptr) ? capacity : 0;

    TMarkupState s;
    s.fonts.push_back(defaultFont);
    s.colors.push_back(color);
    s.spacings.push_back(0);

    c.y = c.rc.top;
    c.maxX = c.rc.left;
    int lastBottom = c.rc.top;
    c.lineHeight = s.Spacing() + s.FontLineHeight();
    const char* p = text;
    while (*p != '\0') {
        const TMarkupState lineStart = s;
        const char* lineText = p;
        c.links.lineFirst = c.links.index;
        LineEnd end = LineEnd::TextEnd;
        const int passes = calc ? 1 : 2;
        for (int i = 0; i < passes; ++i) {
            if (i > 0) {
                s = lineStart;
                p = lineText;
            }
            c.replaying = i > 0;
            c.replay = 0;
            if (i == 0) c.widths.clear();
            TPass pass;
            pass.final = i == passes - 1;
            pass.drawing = !calc && pass.final;
            end = RunLine(c, s, pass, p);
        }
        // A link still open continues on the next line as a new link with the same text.
        if (s.linkOpen) {
            CloseLink(c, s, TPass{false, true},
                      std::min(c.x + c.runShift, static_cast<int>(c.rc.right)));
            s.linkOpen = true;
            if (c.links.index < c.links.capacity && c.links.texts != nullptr)
                c.links.texts[c.links.index] = s.linkText;
        }
        for (int i = c.links.lineFirst; i < c.links.index && i < c.links.capacity; ++i)
            c.links.rects[i].bottom = c.y + c.lineHeight;
        lastBottom = c.y + c.lineHeight;
        if (end == LineEnd::TextEnd) break;
        if (end == LineEnd::Overflow && c.singleLine) break;
        // Every line takes at least one character or tag; a line that took nothing would be
        // followed by the same line again, without end.
        if (p == lineText) break;
        c.y += c.lineHeight;
        c.lineHeight = s.Spacing() + s.FontLineHeight();
        c.linkStart = {c.rc.left, c.y};
        if (!calc && c.y >= c.rc.bottom) break;
        if (*p == '\0') {
            lastBottom = c.y;  // a break at the very end leaves no further line
            break;
        }
    }

    linkCount = std::min(c.links.index, c.links.capacity);
    if (calc) {
        rect.bottom = std::max(lastBottom, c.pictureBottom);
        rect.right = std::min(static_cast<int>(rect.right), c.maxX);
    }
    ::SetBkColor(dc, oldBk);
    ::SetTextColor(dc, oldText);
    ::SetBkMode(dc, oldMode);
}

}  // namespace SkinUI
