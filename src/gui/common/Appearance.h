#pragma once

// The program's font is "ＭＳ Ｐゴシック" 9 pt. Where that family is missing
// (every Linux desktop) its metric twin IPAPGothic, or Noto Sans CJK JP,
// stands in, so Japanese texts render and fit the fixed layouts. Every window
// carries the program's icon. Qt's own dialogs and buttons (the file dialog,
// OK) speak Japanese too, whatever the desktop's language.
namespace Appearance
{
void install();
}
