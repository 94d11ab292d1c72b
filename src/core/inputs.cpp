#include "core/inputs.h"

namespace corvane::inputs {

using variant::BoardFlags;
using variant::Channel;
using variant::ModuleFlags;

int applyFloor(int selected, int floor) {
    if (floor <= kNoFloor)
        return selected;
    return selected < floor ? floor : selected;
}

const InputRow* inputRow(std::string_view item) {
    for (const InputRow& row : kInputs)
        if (row.item == item)
            return &row;
    return nullptr;
}

const InputRow* inputByCode(int code) {
    for (const InputRow& row : kInputs)
        if (row.code == code)
            return &row;
    return nullptr;
}

namespace {

// The row a selection acts on, or nullptr when it does nothing ("No Sensor", none, unknown).
const InputRow* actingRow(std::string_view item) {
    const InputRow* row = inputRow(item);
    return row && row->kind != InputKind::NoSensor ? row : nullptr;
}

} // namespace

int inputFloor(const BoardFlags& flags, Channel channel, std::string_view item) {
    const InputRow* row = actingRow(item);
    if (!row)
        return kNoFloor;
    int floor = kNoFloor;
    if (flags.fullBoard)
        floor = row->floor;
    if (flags.boardVariant != 0 && flags.modules(channel).any())
        floor = row->floor;
    return floor;
}

int pickResolution(const BoardFlags& flags, Channel channel, std::string_view selectedInput,
                   int picked) {
    return applyFloor(picked, inputFloor(flags, channel, selectedInput));
}

InputEffect selectInput(const BoardFlags& flags, Channel channel, std::string_view item, int res,
                        int recRes) {
    InputEffect e{std::nullopt, res, recRes, flags.modules(channel)};
    const InputRow* row = actingRow(item);
    if (!row)
        return e;

    auto apply = [&] {
        if (!row->fps.empty())
            e.fps = std::string(row->fps);
        e.res = applyFloor(e.res, row->floor);
        e.recRes = applyFloor(e.recRes, row->floor);
    };

    if (flags.fullBoard) {
        if (row->kind == InputKind::Sdi) {
            e.modules.sdi = true;
            e.modules.analog = false;
        } else if (row->kind == InputKind::Analog) {
            e.modules.sdi = false;
            e.modules.analog = true;
        }
        apply();
    }
    if (flags.boardVariant != 0 && flags.modules(channel).any())
        apply();
    return e;
}

} // namespace corvane::inputs
