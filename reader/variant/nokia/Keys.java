// SPDX-License-Identifier: GPL-3.0-or-later
/**
 * Soft key codes of most phones: Nokia, Sony Ericsson, Samsung and the
 * Chinese phones. The right soft key also answers to the clear key (-8).
 */
final class Keys {
    static final int LEFT = -6, LEFT2 = -6;
    static final int RIGHT = -7, RIGHT2 = -8;
}
