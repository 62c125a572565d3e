# SPDX-License-Identifier: GPL-3.0-or-later
target_include_directories(test_app PRIVATE ${PROJECT_SOURCE_DIR}/tools/sim)
