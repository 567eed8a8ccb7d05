#include "WindowState.h"

void WindowState::start() {
    playing_ = false;
    seeking_ = true;
    unsaved_ = false;
}

void WindowState::beginOpen(const QString& songPath) {
    songPath_ = songPath;
}

void WindowState::finishOpen() {
    // Another song, another history.
    history_.clear();
    unsaved_ = false;
    seeking_ = false;
}

void WindowState::failOpen() {
    songPath_.clear();
}

void WindowState::play() {
    playing_ = true;
    seeking_ = false;
}

void WindowState::pause() {
    playing_ = false;
}

void WindowState::stop() {
    playing_ = false;
}

void WindowState::beginSeek() {
    seeking_ = true;
}

bool WindowState::endSeek() {
    if (!playing_) return false;
    seeking_ = false;
    return true;
}

void WindowState::typeText() {
    lineListStale_ = true;
    // Text typed before any song is opened is as much the user's work as any other.
    unsaved_ = true;
}

void WindowState::replaceText() {
    lineListStale_ = true;
}

void WindowState::takeLines() {
    lineListStale_ = false;
}

void WindowState::changeLyrics() {
    unsaved_ = true;
}

void WindowState::save() {
    unsaved_ = false;
}
