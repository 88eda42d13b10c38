// CMutator: derives a damaged input from a seed, deterministically from a 64-bit key, so that
// any input of a long run can be made again from its number alone. The damage is what a
// publisher's skin or markup text could carry: cuts, flipped bytes, tags duplicated and
// nested deeply, extreme attribute values, pieces of other seeds spliced in.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace uirobust {

class CMutator {
public:
    explicit CMutator(uint64_t key) : state_(key * 0x9E3779B97F4A7C15ull + 1) {}

    // The seed damaged by one to five mutations, at most `limit` bytes; `others` feed splices.
    std::string Mutate(const std::string& seed, const std::vector<std::string>& others,
                       size_t limit);

    uint32_t Next();
    uint32_t Below(uint32_t n) { return n == 0 ? 0 : Next() % n; }

private:
    void Cut(std::string& s);
    void Flip(std::string& s);
    void DuplicateTag(std::string& s);
    void Nest(std::string& s);
    void ExtremeValue(std::string& s);
    void ExtremeNumber(std::string& s);
    void Splice(std::string& s, const std::vector<std::string>& others);
    void InsertPiece(std::string& s);
    // A random tag [begin, end) of s ("<...>" or "{...}"), or false.
    bool PickTag(const std::string& s, size_t& begin, size_t& end);

    uint64_t state_;
};

}  // namespace uirobust
