#pragma once

// The characters of the font image in reading order, one line per band of 57
// rows (Latin-1: 0xA3 is the pound sign, 0xE9 the e with acute accent).
constexpr char kGlyphOrder[] = "ABCDEFGHIJK\nLMNOPQRSTU\nVWXYZabcde\nfghijklmnop\nqrstuvwxyz\n"
                               "0123456789\n!\"\xA3$%^&*()\n-+=.,?:;@#\n<>{}[]'~\xE9";
constexpr int kBandHeight = 57;
