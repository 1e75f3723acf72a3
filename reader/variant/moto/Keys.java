// SPDX-License-Identifier: GPL-3.0-or-later
/**
 * Soft key codes of Motorola phones such as the V3 and L7. On them -6 is the
 * down arrow, so the codes of most phones must not be taken as soft keys.
 */
final class Keys {
    static final int LEFT = -21, LEFT2 = 21;
    static final int RIGHT = -22, RIGHT2 = 22;
}
