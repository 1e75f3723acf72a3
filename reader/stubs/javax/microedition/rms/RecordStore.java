// SPDX-License-Identifier: GPL-3.0-or-later
package javax.microedition.rms;

public class RecordStore {
    private RecordStore() {}
    public static native void deleteRecordStore(String recordStoreName) throws RecordStoreException, RecordStoreNotFoundException;
    public static native RecordStore openRecordStore(String recordStoreName, boolean createIfNecessary) throws RecordStoreException, RecordStoreFullException, RecordStoreNotFoundException;
    public native void closeRecordStore() throws RecordStoreNotOpenException, RecordStoreException;
    public static native String[] listRecordStores();
    public native String getName() throws RecordStoreNotOpenException;
    public native int getVersion() throws RecordStoreNotOpenException;
    public native int getNumRecords() throws RecordStoreNotOpenException;
    public native int getSize() throws RecordStoreNotOpenException;
    public native int getSizeAvailable() throws RecordStoreNotOpenException;
    public native long getLastModified() throws RecordStoreNotOpenException;
    public native int getNextRecordID() throws RecordStoreNotOpenException, RecordStoreException;
    public native int addRecord(byte[] data, int offset, int numBytes) throws RecordStoreNotOpenException, RecordStoreException, RecordStoreFullException;
    public native void deleteRecord(int recordId) throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException;
    public native int getRecordSize(int recordId) throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException;
    public native int getRecord(int recordId, byte[] buffer, int offset) throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException;
    public native byte[] getRecord(int recordId) throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException;
    public native void setRecord(int recordId, byte[] newData, int offset, int numBytes) throws RecordStoreNotOpenException, InvalidRecordIDException, RecordStoreException, RecordStoreFullException;
}
