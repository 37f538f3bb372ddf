#pragma once
// The exact bytes behind the texts the window shows for the block's values.
//
// The window's texts are rounded for display: a range start of -199.97 reads
// "-200.0", a NaN reads "NaN", -0.0 reads "0.0". Converting such a text back
// at the next write would quietly rewrite a value nobody touched. So every
// text the tool shows for a value is remembered together with the bytes it
// stands for, and a write whose text is still exactly that text sends those
// bytes, bit for bit. A text that differs in any character ("-200.00" for
// "-200.0") is someone's edit and is converted as typed.
//
// Use:
//   ShownValues shown;
//   shown.Remember(offset::rangeZero, 4, "-200.0", block);   // when showing
//   ...
//   fields.Write(image);                                      // converted texts
//   shown.Restore(offset::rangeZero, currentText, image);     // untouched: exact
//
// The dialog keeps one: the decode remembers every field it shows as a text
// (range ends, calibration values, trims, offset), presets and calibration
// results remember what they show, and the encode restores. So a block
// decoded and encoded again with no text edited returns those fields bit for
// bit; only the list and radio fields go back as the decode normalised them.
// (Those are kept here too, under texts that describe their control's state,
// for saving the window as the device holds it: see app/core/ShownChoices.h.)
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "config/ParamImage.h"

namespace orv::config {

class ShownValues {
public:
    static constexpr std::size_t kMaxWidth = 4;

    // The field at bytes [at, at + width) of block is now shown as text. It
    // replaces whatever was remembered for that offset. A field that does not
    // fit the block, or is wider than kMaxWidth, is not remembered.
    void Remember(std::size_t at, std::size_t width, std::string_view text,
                  std::span<const std::uint8_t, kParamBlockSize> block);

    // The same for a float field showing a value the tool worked out itself
    // (a preset, a calibration result): text stands for exactly that value.
    void RememberFloat(std::size_t at, std::string_view text, float value);

    // When text is exactly the text remembered for the field at `at`, copies
    // the remembered bytes into block at the same place and returns true.
    // Otherwise block is left as it is and the result is false.
    bool Restore(std::size_t at, std::string_view text, std::span<std::uint8_t, kParamBlockSize> block) const;

private:
    struct Entry {
        std::size_t width = 0;  // 0: nothing remembered
        std::string text;
        std::array<std::uint8_t, kMaxWidth> bytes{};
    };
    std::array<Entry, kParamBlockSize> entries_{};
};

}  // namespace orv::config
