# Strict warnings for our own code only; third-party headers come in as system includes.
function(rundel_strict target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wpedantic -Werror
        -Wshadow -Wconversion -Wno-sign-conversion -Wnon-virtual-dtor -Wold-style-cast
        # Tours must not depend on how the compiler fuses or reorders float arithmetic.
        -ffp-contract=off)
endfunction()

# An executable that belongs in the staged program folder.
function(rundel_program target)
    rundel_strict(${target})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${RUNDEL_PROGRAM_DIR})
endfunction()
