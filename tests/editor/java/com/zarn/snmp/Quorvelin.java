package com.zarn.snmp;

// The host side of the editor library, as a Java network-management application declares it.
public class Quorvelin {
    static {
        System.loadLibrary("quorvelin");
    }

    // Opens the editor on the device and returns 1 when the user has closed it.
    public native int ShowQuorvelin(int deviceAddress, int ignored, int portMode);
}
