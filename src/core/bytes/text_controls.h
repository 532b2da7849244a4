#pragma once
// Characters in text from a panel, a file or the library that act on the
// text around them instead of being read: the terminal, the report and the
// windows each neutralise them, and agree on which they are.

// C0, DEL and C1: escape sequences, bells, carriage returns.
constexpr bool IsControlCharacter(char32_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// The invisible marks that reorder or break a line: the direction marks
// (LRM, RLM, ALM), embeddings and overrides, isolates, and the line and
// paragraph separators. A right-to-left override makes "fdp.exe" of
// "exe.pdf"; a separator starts a line no one typed.
constexpr bool IsLayoutControl(char32_t c)
{
    return c == 0x200E || c == 0x200F || c == 0x061C || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069) ||
           c == 0x2028 || c == 0x2029;
}

// What a document or a window that cannot show an escape puts U+FFFD in
// place of: every control and mark above but the line break and the tab,
// which lay text out and move nothing.
constexpr bool IsReplacedWhenShown(char32_t c)
{
    return c != U'\n' && c != U'\t' && (IsControlCharacter(c) || IsLayoutControl(c));
}
