// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.rms;

public class InvalidRecordIDException extends RecordStoreException {
    public InvalidRecordIDException() {}
    public InvalidRecordIDException(String message) {}
}
