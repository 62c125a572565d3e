# SPDX-License-Identifier: GPL-3.0-or-later
# Reference data sets of the statistics tests.
target_compile_definitions(test_quality PRIVATE QUALITY_TEST_DATA="${CMAKE_CURRENT_SOURCE_DIR}/quality/data")
