// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class OutOfMemoryError extends VirtualMachineError {
    public OutOfMemoryError() {}
    public OutOfMemoryError(String s) {}
}
