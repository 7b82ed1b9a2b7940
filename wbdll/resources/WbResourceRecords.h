// Readers of the binary records a tenant module carries: ATTR, DESC, TNDF, TMDF and WODF.
//
// Every record starts with a format version byte of 1; numbers are 32-bit little-endian; a text is a
// length byte, the characters and a NUL. A reader checks each field against the bytes left before it
// reads it and refuses a record that ends early, runs on past its last field, or holds a value the host
// cannot use, naming the record, the field, its offset, the value and the limit.
#pragma once

#include "CPlugin.h"
#include "CString.h"
#include "WbDll.h"
#include "WbParsed.h"
#include "WbTenantDef.h"
#include "WbTenantMemberDef.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

// DESC: the type of the program plug-in the module carries, and one further number.
struct WbDescRecord {
    uint32_t programType = 0;
    int32_t value = 0;
};

// The host's rules for what a tenant definition record leaves out.
// The record names no ticket price: a customer pays half the tenant's monthly cost (in hundreds).
constexpr int32_t kIncomeShareOfMonthlyCost = 2;
// Every tenant has two staff who belong to it.
constexpr int32_t kBelongPeoplePerTenant = 2;

WBDLL_API WbParsed<WbFileAttr> WbReadAttrRecord(std::span<const uint8_t> bytes, uint32_t id = 128);
WBDLL_API WbParsed<WbDescRecord> WbReadDescRecord(std::span<const uint8_t> bytes, uint32_t id = 128);
// Sizes, prices, texts, the films' plug-in type, the capacity (the number at offset 97) and the opening
// and closing minutes.
WBDLL_API WbParsed<WbTenantDefData> WbReadTenantDefRecord(std::span<const uint8_t> bytes, uint32_t id = 1);
// The customer kinds; each one's rate is its percentage of 100, or an equal share when no kind gives one.
WBDLL_API WbParsed<std::vector<WbTenantMemberDef>> WbReadMemberTable(std::span<const uint8_t> bytes, uint32_t id = 1);
WBDLL_API WbParsed<std::vector<WbRemark>> WbReadRemarks(std::span<const uint8_t> bytes, uint32_t id = 1);
