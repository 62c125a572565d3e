// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings/UiRequiredIds.h"

#include <array>

namespace zul {

namespace {

// Every control bound to a setting item, the measurement-mode radios and list, the buffer-mode
// choice, and the windows, menu commands and controls of the main window, the transfer progress
// form and the software settings form.
constexpr std::array<int32_t, 185> kRequiredIds = {
    102,   139,   141,   1005,  1010,  1011,  1012,  1013,  1015,  1019,  1020,  1021,  1022,
    1023,  1024,  1025,  1026,  1027,  1028,  1031,  1032,  1034,  1035,  1036,  1038,  1039,
    1072,  1074,  1076,  1085,  1088,  1090,  1092,  1094,  1097,  1101,  1102,  1103,  1104,
    1105,  1106,  1107,  1109,  1111,  1113,  1115,  1134,  1138,  1142,  1146,  1152,  1154,
    1155,  1156,  1157,  1169,  1174,  1190,  1220,  1222,  1258,  1272,  1274,  1280,  1282,
    1284,  1290,  1292,  1294,  1296,  1364,  1366,  1369,  1371,  1380,  1382,  1384,  1386,
    1388,  1390,  1393,  1398,  1400,  1412,  1413,  1414,  1422,  1424,  1426,  1430,  1432,
    1461,  1466,  1467,  1468,  1601,  1605,  1607,  1616,  1617,  1620,  1621,  1622,  1628,
    1629,  1630,  1631,  1635,  1637,  1639,  1640,  1643,  1644,  1645,  1647,  1650,  1651,
    1654,  1655,  1658,  1685,  1688,  1690,  1692,  1721,  1753,  1755,  1757,  1770,  1806,
    1829,  1849,  1867,  1892,  1894,  1896,  1898,  1932,  1948,  2012,  2023,  2031,  2032,
    2038,  2040,  2042,  2054,  2059,  2062,  2066,  2069,  2072,  2101,  2103,  2104,  2105,
    2106,  2108,  2109,  2110,  2120,  2121,  2122,  2123,  2124,  2125,  2126,  2127,  32771,
    32772, 32775, 32776, 32777, 32778, 32779, 32780, 32781, 32782, 32784, 32785, 32786, 32787,
    32788, 32799, 32800,
};

constexpr std::array<std::string_view, 22> kCaptionKeys = {
    "Main_MenuFile",
    "Main_MenuWnd",
    "Main_MenuSys",
    "Main_MenuHelp",
    "Measurement_MenuFile",
    "Measurement_MenuDisplay",
    "LightWave_MenuFile",
    "LightWave_MenuDisplay",
    "LightWave_LblGraphLightWave",
    "LightWave_LblGraphHeadA",
    "LightWave_LblGraphHeadB",
    "LightWave_LblGraphCell",
    "LightWave_TchLeftAxisHeadA",
    "LightWave_TchLeftAxisHeadB",
    "LightWave_TchBottomAxisHeadA",
    "LightWave_TchBottomAxisHeadB",
    "Buffering_MenuFile",
    "Bufferiing_MenuDisplay",
    "Buffering_LblLeftAxis",
    "ConfigList_GrdRowTitle",
    "ConfigList_GrdColTitle",
    "Main_FilterSettings",
};

}  // namespace

std::span<const int32_t> RequiredControlIds() {
    return kRequiredIds;
}

std::span<const std::string_view> RequiredCaptionKeys() {
    return kCaptionKeys;
}

}  // namespace zul
