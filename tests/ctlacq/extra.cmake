# The command tests run the qvm8ctl program itself against an emulator in the test process.
add_dependencies(test_ctlacq qvm8ctl)
target_compile_definitions(test_ctlacq PRIVATE QVM8CTL_PROGRAM="$<TARGET_FILE:qvm8ctl>")
