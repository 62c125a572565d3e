# SPDX-License-Identifier: GPL-3.0-or-later
# The program test starts the qvm8-sim executable itself.
add_dependencies(test_sim qvm8-sim)
target_compile_definitions(test_sim PRIVATE QVM8_SIM_PROGRAM="$<TARGET_FILE:qvm8-sim>")
