# Helpers that run the data generators at build time and embed their output with .incbin.

# qb_embed(<out_var> <symbol> <binary file> <section>) writes an assembler file that puts the
# binary under <symbol>, with <symbol>_end after it and one zero byte beyond that (a looped sample
# that ends the data reads one byte past it).
function(qb_embed out_var symbol file section)
  set(asm "${CMAKE_CURRENT_BINARY_DIR}/embed_${symbol}.S")
  if(EMSCRIPTEN)
    # WebAssembly objects name a section per symbol and need every data symbol's size.
    string(REPLACE "." "" kind "${section}")
    file(WRITE "${asm}.in"
"/* Embedded data: ${symbol} */
    .section .${kind}.${symbol},\"\",@
    .globl ${symbol}
    .globl ${symbol}_end
    .p2align 4
${symbol}:
    .incbin \"${file}\"
${symbol}_end:
    .int8 0
    .size ${symbol}, ${symbol}_end - ${symbol}
    .size ${symbol}_end, 1
")
    configure_file("${asm}.in" "${asm}" COPYONLY)
    set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${file}")
    set(${out_var} "${asm}" PARENT_SCOPE)
    return()
  endif()
  file(WRITE "${asm}.in"
"/* Embedded data: ${symbol} */
    .section ${section}
    .global ${symbol}
    .global ${symbol}_end
    .balign 16
${symbol}:
    .incbin \"${file}\"
${symbol}_end:
    .byte 0
    .balign 4
    .section .note.GNU-stack,\"\",%progbits
")
  configure_file("${asm}.in" "${asm}" COPYONLY)
  set_source_files_properties("${asm}" PROPERTIES OBJECT_DEPENDS "${file}")
  set(${out_var} "${asm}" PARENT_SCOPE)
endfunction()
