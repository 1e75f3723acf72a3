// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public interface Runnable {
    void run();
}
