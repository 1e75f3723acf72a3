// SPDX-License-Identifier: GPL-3.0-or-later
package java.util;

public class Vector {
    protected Object[] elementData;
    protected int elementCount;
    protected int capacityIncrement;
    public Vector() {}
    public Vector(int initialCapacity) {}
    public Vector(int initialCapacity, int capacityIncrement) {}
    public native synchronized void copyInto(Object[] anArray);
    public native synchronized void trimToSize();
    public native synchronized void ensureCapacity(int minCapacity);
    public native synchronized void setSize(int newSize);
    public native int capacity();
    public native int size();
    public native boolean isEmpty();
    public native synchronized Enumeration elements();
    public native boolean contains(Object elem);
    public native int indexOf(Object elem);
    public native synchronized int indexOf(Object elem, int index);
    public native int lastIndexOf(Object elem);
    public native synchronized Object elementAt(int index);
    public native synchronized Object firstElement();
    public native synchronized Object lastElement();
    public native synchronized void setElementAt(Object obj, int index);
    public native synchronized void removeElementAt(int index);
    public native synchronized void insertElementAt(Object obj, int index);
    public native synchronized void addElement(Object obj);
    public native synchronized boolean removeElement(Object obj);
    public native synchronized void removeAllElements();
    public native synchronized String toString();
}
