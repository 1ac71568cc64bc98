// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Slonk developers

#pragma once

namespace slonk {

// On Wayland, where the compositor leaves the title bar to the program, has Qt
// draw the program's own (waylandtitlebar.cpp: the title and a close button)
// instead of its stock one with minimise and maximise buttons. Does nothing
// elsewhere, when the user chose a title bar (QT_WAYLAND_DECORATION), or when
// the title bar is not installed or not built for the Qt that runs. Called
// before the first window is shown.
void chooseOwnTitleBar();

} // namespace slonk
