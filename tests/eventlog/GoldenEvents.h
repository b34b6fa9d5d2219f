#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

// Descriptions of event records written out by hand from the record layouts and formulas, with
// the catalogue's names: the decoder must give exactly these texts, and the export test builds its
// expected file from them.
struct GoldenEvent {
    static constexpr int32_t AnyApplication = -1;

    int32_t app;  // AnyApplication for the general codes
    uint8_t code;
    uint8_t lo;
    uint8_t hi;
    const char16_t *text;
    std::optional<int32_t> appAfter;  // the application id the record leaves; unchanged when empty
};

const std::vector<GoldenEvent> &goldenEvents();

// The entry for a record decoded under an application id; null when the table has none.
const GoldenEvent *findGoldenEvent(int32_t app, uint8_t code, uint8_t lo, uint8_t hi);
