// The displayed values derived from the adapter's status snapshot: the one
// definition the tray, the Status, Statistics and About pages share.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "adapter/AdapterRecords.h"
#include "framework/CString.h"
#include "res/resource.h"

// Signal quality in percent: level x 100 / 95 truncated, 45 added above 10,
// capped at 100. No lower clamp: a negative level gives a negative figure.
int32_t SignalQuality(int32_t signalLevel);
CString FormatSignalQuality(int32_t signalLevel); // "%d%%"

// 802.11a channel to centre frequency in MHz (5000 + 5 x channel).
uint32_t ChannelFrequencyMHz(uint32_t channel);
// "36 / 5.18 GHz": channel, then GHz with two decimals, thousandths dropped.
CString FormatChannelFrequency(uint32_t channel);

CString FormatRate(uint32_t mbps); // "%d Mbps"

// "%02X-%02X-%02X-%02X-%02X-%02X".
CString FormatMacAddress(const uint8_t address[6]);
// As FormatMacAddress, but the broadcast address (no access point) is empty.
CString FormatAccessPointAddress(const uint8_t bssid[6]);

const char* NetworkModeText(uint32_t networkMode);  // "Infrastructure", "Ad Hoc" or ""
const char* EncryptionText(uint32_t wepEnabled);    // "WEP Enabled" or "None"
const char* ConnectionLabel(uint32_t disconnected); // "Disconnected:" or "Connect to:"

// Text of a fixed-size character field that the driver may fill to the
// last byte without a terminating zero: never reads past `size`.
CString FieldText(const char* field, size_t size);
CString SnapshotSsid(const AdapterStatusSnapshot& snapshot);

uint32_t TransmitErrorSum(const AdapterStatusSnapshot& snapshot);
uint32_t ReceiveErrorSum(const AdapterStatusSnapshot& snapshot);

// The string identifier naming a regulatory domain code; unknown codes
// name "<unknown>".
uint32_t RegulatoryDomainNameId(uint32_t code);

// Formats the code and its name with the string table's format ("0x%02x %s").
// A format that is not one integer conversion followed by one %s (a damaged
// string table) is replaced by the built-in one rather than handed to printf.
CString FormatRegulatoryDomainText(const char* format, uint32_t code, const char* name);
