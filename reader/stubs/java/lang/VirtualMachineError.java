// SPDX-License-Identifier: GPL-3.0-or-later
package java.lang;

public class VirtualMachineError extends Error {
    public VirtualMachineError() {}
    public VirtualMachineError(String s) {}
}
