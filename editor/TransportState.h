#pragma once
// The transport's rules apart from the window: how each action leaves the five transport and
// tagging buttons (enabled state and image; unchanged where nothing is given).

#include <optional>

enum class TransportAction { fileOpened, noSong, play, pause, stop };

struct ButtonLook {
    bool enabled;
    const char* image;
};

struct TransportButtons {
    std::optional<ButtonLook> play;
    std::optional<ButtonLook> pause;
    std::optional<ButtonLook> stop;
    std::optional<ButtonLook> add;
    std::optional<ButtonLook> addBlank;
};

inline TransportButtons buttonsAfter(TransportAction action) {
    switch (action) {
        case TransportAction::fileOpened:
            return {ButtonLook{true, "play_active"}, {}, {}, {}, {}};
        case TransportAction::noSong:
            return {ButtonLook{false, "play"}, {}, {}, {}, {}};
        case TransportAction::play:
            return {ButtonLook{false, "play"}, ButtonLook{true, "pause_active"},
                    ButtonLook{true, "Stop_active"}, ButtonLook{true, "add_active"},
                    ButtonLook{true, "addblank_active"}};
        case TransportAction::pause:
            return {ButtonLook{true, "play_active"}, ButtonLook{false, "pause"}, {}, {}, {}};
        case TransportAction::stop:
            return {ButtonLook{true, "play_active"}, ButtonLook{false, "pause"}, ButtonLook{false, "stop"},
                    ButtonLook{false, "add"}, ButtonLook{false, "addblank"}};
    }
    return {};
}
