#pragma once

// Script strings hold one byte per character in the ANSI code page Windows uses for English
// (United States), Windows-1252. Where a function must see the UTF-16 code unit Windows would
// hold for a character (AscW, ChrW, the byte functions), these two translate.
namespace vortalux::script {

// The code unit of the character `byte` stands for. The five bytes Windows-1252 leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) stand for the control characters of the same number, as Windows
// reads them.
char16_t UnitOfAnsi(unsigned char byte);

// The byte of the character whose code unit is `unit`, or -1 when Windows-1252 has no such
// character.
int AnsiOfUnit(char16_t unit);

} // namespace vortalux::script
