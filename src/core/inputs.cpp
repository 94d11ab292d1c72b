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

std::optional<int> positionOfCode(const std::vector<std::string>& list, int code) {
    for (std::size_t i = 0; i < list.size(); ++i) {
        const InputRow* row = inputRow(list[i]);
        if (row && row->code == code)
            return int(i);
    }
    return std::nullopt;
}

FullBoardInput fullBoardInput(int code, ModuleFlags modules) {
    FullBoardInput out{std::nullopt, modules};
    if (code < 4) {
        out.select = code < 0 ? -1 : code;
        out.modules.sdi = true;
        out.modules.analog = false;
    } else {
        out.select = positionOfCode(variant::fullList(), code);
        out.modules.sdi = false;
        out.modules.analog = true;
    }
    return out;
}

std::optional<int> modulePosition(variant::Module m, int code) {
    using variant::Module;
    if (m == Module::None)
        return std::nullopt;
    const std::vector<std::string>& list = variant::moduleList(m);
    if (m != Module::Sdi)
        return positionOfCode(list, code);
    if (code >= 0 && code < int(list.size()))
        return code;
    return positionOfCode(list, code).value_or(-1);
}

namespace {

// The row a selection acts on, or nullptr when it does nothing ("No Sensor", none, unknown).
const InputRow* actingRow(std::string_view item) {
    const InputRow* row = inputRow(item);
    return row && row->kind != InputKind::NoSensor ? row : nullptr;
}

// The item the channel's sensor input list shows selected, or "" when none is.
std::string selectedItem(Channel channel, const controls::ConfigView& view) {
    const controls::Ctl list = channel == Channel::Ch12 ? controls::Ctl::S2I : controls::Ctl::S1I;
    return view.index(list) < 0 ? std::string() : view.text(list);
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

controls::Applied inputActions(const BoardFlags& flags, Channel channel,
                               const controls::ConfigView& view) {
    using controls::Action;
    using controls::Ctl;
    const bool s12 = channel == Channel::Ch12;
    const Ctl res = s12 ? Ctl::Res2 : Ctl::Res1;
    const Ctl recRes = s12 ? Ctl::RecRes2 : Ctl::RecRes1;
    const Ctl fps = s12 ? Ctl::fps2 : Ctl::fps1;
    const Ctl recFps = s12 ? Ctl::Recfps2 : Ctl::Recfps1;
    const InputEffect e = selectInput(flags, channel, selectedItem(channel, view), view.index(res),
                                      view.index(recRes));

    controls::Applied out;
    auto& a = out.actions;
    const auto writeFps = [&] {
        if (e.fps) {
            a.push_back(Action::setText(fps, *e.fps));
            a.push_back(Action::setText(recFps, *e.fps));
        }
    };
    const auto floors = [&] {
        if (e.res != view.index(res))
            a.push_back(Action::select(res, e.res));
        if (e.recRes != view.index(recRes))
            a.push_back(Action::select(recRes, e.recRes));
    };
    if (flags.fullBoard) {
        a.push_back(Action::moduleFlags(channel, e.modules));
        writeFps();
        floors();
    } else {
        floors();
        writeFps();
    }
    return out;
}

int selectedInputFloor(const variant::BoardFlags& flags, variant::Channel channel,
                       const controls::ConfigView& view) {
    return inputFloor(flags, channel, selectedItem(channel, view));
}

controls::Applied resolutionActions(const variant::BoardFlags& flags, variant::Channel channel,
                                    const controls::ConfigView& view) {
    const controls::Ctl res =
        channel == variant::Channel::Ch12 ? controls::Ctl::Res2 : controls::Ctl::Res1;
    controls::Applied out;
    const int selected =
        pickResolution(flags, channel, selectedItem(channel, view), view.index(res));
    if (selected != view.index(res))
        out.actions.push_back(controls::Action::select(res, selected));
    return out;
}

} // namespace corvane::inputs
