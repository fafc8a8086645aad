#pragma once

// The amplifier's commands: the byte after the report ID.
constexpr int HID_CMD_IDENTIFY = 54;
constexpr int HID_CMD_READ_IMAGE = 55;
constexpr int HID_CMD_WRITE_IMAGE = 56;

constexpr int AMPLIFIER_VENDOR_ID = 0x8D88;
constexpr int AMPLIFIER_PRODUCT_ID = 0x0066;
