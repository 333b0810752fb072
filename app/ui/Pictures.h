// Pictures the main window paints itself instead of carrying image files: the seven language flags
// and the four 16 x 16 lamps of the status bar.
#pragma once

#include <QPixmap>
#include <QSize>
#include <cstdint>

// The flags, one per language, in LanguageIndex order.
enum class Flag : std::uint32_t { German, English, French, Spanish, Italian, Swedish, Finnish };

// A simple national flag of the given size (the flag labels are 40 x 20).
QPixmap drawFlag(Flag flag, QSize size);

// Lamp images of the link indicator, by their index in the original image list.
enum class Lamp : int { Red = 0, Yellow = 1, Green = 2, Grey = 3 };
inline constexpr int LampSize = 16;
QPixmap drawLamp(Lamp lamp);
