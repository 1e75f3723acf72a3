// SPDX-License-Identifier: GPL-3.0-or-later
package java.util;

public interface Enumeration {
    boolean hasMoreElements();
    Object nextElement();
}
