#include "protocol/MeasureBlock.h"

#include "protocol/ByteOrder.h"

namespace orv::protocol {

MeasureBlock DecodeMeasureBlock(std::span<const std::uint8_t, 18> payload) {
    MeasureBlock block;
    for (std::size_t i = 0; i < block.raw.size(); ++i) block.raw[i] = ReadI16Le(payload, 2 * i);
    block.ambient = ReadF32Le(payload, 10);
    block.measured = ReadF32Le(payload, 14);
    return block;
}

}  // namespace orv::protocol
