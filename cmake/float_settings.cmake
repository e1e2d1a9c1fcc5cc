# The float settings every build of kelvotrace gets, decided once at configure time for the
# compiler at hand. The pictures depend on every float operation rounding to float, in the
# order written: a flag that lets the compiler reorder, approximate or widen that arithmetic is
# refused here, with its name and where it was given, before anything is built. vecteur.h
# checks again for builds without CMake, as far as the compiler's macros let it see.
#
# Sets KELVO_FLOAT_OPTIONS, the options kelvotrace's code builds with beyond those given to
# every target (-ffp-contract=off, and on 32-bit x86 -msse2 -mfpmath=sse).

include(CheckCXXSourceCompiles)

# Flags that change float results, why, and what turns each off again. gcc tells some of them
# by a macro, clang none but -ffast-math's: the flags themselves are read.
set(kelvo_unsafe_-ffast-math "turns on every unsafe float optimisation")
set(kelvo_unsafe_-Ofast "is -O3 with -ffast-math (use -O3)")
set(kelvo_unsafe_-funsafe-math-optimizations "reorders sums and replaces divisions by reciprocals")
set(kelvo_unsafe_-freciprocal-math "replaces divisions by multiplications by a reciprocal")
set(kelvo_unsafe_-fassociative-math "reorders sums and products")
set(kelvo_unsafe_-fno-signed-zeros "takes -0 for +0")
set(kelvo_unsafe_-ffinite-math-only "assumes no infinity and no NaN")
set(kelvo_unsafe_-fno-honor-infinities "assumes no infinity")
set(kelvo_unsafe_-fno-honor-nans "assumes no NaN")
set(kelvo_unsafe_-fapprox-func "approximates the library's functions")
set(kelvo_unsafe_-ffp-model=fast "is clang's -ffast-math")
set(kelvo_unsafe_-ffp-model=aggressive "is clang's -ffast-math")
set(kelvo_cancels_-fno-fast-math -ffast-math -funsafe-math-optimizations -freciprocal-math
    -fassociative-math -fno-signed-zeros -ffinite-math-only -fno-honor-infinities
    -fno-honor-nans -fapprox-func -ffp-model=fast -ffp-model=aggressive)
set(kelvo_cancels_-fno-unsafe-math-optimizations -funsafe-math-optimizations -freciprocal-math
    -fassociative-math -fno-signed-zeros)
set(kelvo_cancels_-fno-reciprocal-math -freciprocal-math)
set(kelvo_cancels_-fno-associative-math -fassociative-math)
set(kelvo_cancels_-fsigned-zeros -fno-signed-zeros)
set(kelvo_cancels_-fno-finite-math-only -ffinite-math-only -fno-honor-infinities -fno-honor-nans)
set(kelvo_cancels_-fhonor-infinities -fno-honor-infinities)
set(kelvo_cancels_-fhonor-nans -fno-honor-nans)
set(kelvo_cancels_-fno-approx-func -fapprox-func)
set(kelvo_cancels_-ffp-model=precise -ffp-model=fast -ffp-model=aggressive)
set(kelvo_cancels_-ffp-model=strict -ffp-model=fast -ffp-model=aggressive)

# Every flag the compiler gets before the project's own, in order, each with where it came
# from: the compiler variable (CXX="g++ -Ofast"), CMAKE_CXX_FLAGS (and so CXXFLAGS), then the
# configuration's flags, which come after it on the command line.
function(kelvo_check_unsafe_flags config)
  set(places CMAKE_CXX_COMPILER_ARG1 CMAKE_CXX_FLAGS)
  if(config)
    string(TOUPPER "${config}" upper)
    list(APPEND places CMAKE_CXX_FLAGS_${upper})
  endif()
  set(active "")
  foreach(place ${places})
    separate_arguments(flags NATIVE_COMMAND "${${place}}")
    foreach(flag ${flags})
      if(DEFINED kelvo_unsafe_${flag})
        list(APPEND active "${flag}@${place}")
      elseif(flag MATCHES "^-O([0-3sgz]?)$")
        list(FILTER active EXCLUDE REGEX "^-Ofast@")
      endif()
      foreach(cancelled ${kelvo_cancels_${flag}})
        list(FILTER active EXCLUDE REGEX "^${cancelled}@")
      endforeach()
    endforeach()
  endforeach()
  if(active)
    set(lines "")
    foreach(entry ${active})
      string(REPLACE "@" ";" entry "${entry}")
      list(GET entry 0 flag)
      list(GET entry 1 place)
      string(APPEND lines "\n  ${flag} (in ${place}) ${kelvo_unsafe_${flag}}")
    endforeach()
    message(FATAL_ERROR "kelvotrace's pictures must come out bit-exact, and these float "
            "optimisations change them:${lines}\nConfigure again without them.")
  endif()
endfunction()

if(CMAKE_CONFIGURATION_TYPES)
  set(kelvo_configs ${CMAKE_CONFIGURATION_TYPES})
else()
  set(kelvo_configs "${CMAKE_BUILD_TYPE}")
  # The compile checks below then see the configuration's flags, as the build will.
  set(CMAKE_TRY_COMPILE_CONFIGURATION "${CMAKE_BUILD_TYPE}")
endif()
foreach(config ${kelvo_configs})
  kelvo_check_unsafe_flags("${config}")
endforeach()

set(CMAKE_REQUIRED_QUIET ON)
# Asked again at each configure: the flags may have changed since.
foreach(var KELVO_SAFE_FLOAT_MACROS KELVO_X86_32 KELVO_FLT_EVAL_0 KELVO_fno_math_errno
        KELVO_fno_trapping_math)
  unset(${var} CACHE)
endforeach()

# What the compiler itself says: flags given where this file does not look (a wrapper script,
# the driver's own defaults) show here, as far as the compiler has macros for them. One check,
# and one for each macro only to name it.
set(kelvo_macros __FAST_MATH__ __FINITE_MATH_ONLY__ __ASSOCIATIVE_MATH__ __RECIPROCAL_MATH__
    __NO_SIGNED_ZEROS__)
set(kelvo_macro_source "#if @test@\n#error\n#endif\nint main() {}")
list(JOIN kelvo_macros " || " test) # a macro not defined counts as 0
string(CONFIGURE "${kelvo_macro_source}" kelvo_source @ONLY)
check_cxx_source_compiles("${kelvo_source}" KELVO_SAFE_FLOAT_MACROS)
if(NOT KELVO_SAFE_FLOAT_MACROS)
  foreach(test ${kelvo_macros})
    string(CONFIGURE "${kelvo_macro_source}" kelvo_source @ONLY)
    unset(kelvo_defined CACHE)
    check_cxx_source_compiles("${kelvo_source}" kelvo_defined)
    if(NOT kelvo_defined)
      list(APPEND macro ${test})
    endif()
  endforeach()
  unset(kelvo_defined CACHE)
  list(JOIN macro ", " macro)
  message(FATAL_ERROR "the compiler (${CMAKE_CXX_COMPILER} ${CMAKE_CXX_COMPILER_ARG1} "
          "${CMAKE_CXX_FLAGS}) defines ${macro}: it is set to take liberties with float "
          "arithmetic, which changes kelvotrace's pictures. Configure it without -ffast-math "
          "or its parts.")
endif()

# On 32-bit x86 compilers default to the x87 unit, which carries floats in extended precision;
# SSE2 rounds every float operation to float. Asked of the compiler itself, so that -m32 given
# in CMAKE_CXX_FLAGS counts as much as an i686 toolchain.
check_cxx_source_compiles("#ifndef __i386__\n#error not 32-bit x86\n#endif\nint main() {}"
                          KELVO_X86_32)
if(KELVO_X86_32)
  message(STATUS "32-bit x86: floats computed in SSE2 (-msse2 -mfpmath=sse)")
  add_compile_options(-msse2 -mfpmath=sse)
  set(CMAKE_REQUIRED_FLAGS "-msse2 -mfpmath=sse")
endif()

# Every float operation must round to float (FLT_EVAL_METHOD 0). Where it does not, say what
# the target does instead.
set(kelvo_eval_source "#include <cfloat>\n#if FLT_EVAL_METHOD != @value@\n#error\n#endif\nint main() {}")
set(value 0)
string(CONFIGURE "${kelvo_eval_source}" kelvo_source @ONLY)
check_cxx_source_compiles("${kelvo_source}" KELVO_FLT_EVAL_0)
if(NOT KELVO_FLT_EVAL_0)
  set(method "not known")
  foreach(value -1 1 2)
    string(CONFIGURE "${kelvo_eval_source}" kelvo_source @ONLY)
    unset(kelvo_eval_is CACHE)
    check_cxx_source_compiles("${kelvo_source}" kelvo_eval_is)
    if(kelvo_eval_is)
      set(method ${value})
    endif()
  endforeach()
  unset(kelvo_eval_is CACHE)
  if(KELVO_X86_32)
    set(cause "the x87 unit is in use although -msse2 -mfpmath=sse are given: remove the flag that "
              "overrides them (-mfpmath=387, -mno-sse2, an older -march)")
  elseif(method STREQUAL "-1")
    set(cause "the compiler cannot say how floats are evaluated, which it does when an unsafe "
              "float optimisation is on: remove it")
  else()
    set(cause "the compiler for ${CMAKE_SYSTEM_PROCESSOR} keeps intermediate floats in wider "
              "precision, and the pictures cannot be exact there")
  endif()
  string(JOIN "" cause ${cause})
  message(FATAL_ERROR "kelvotrace needs every float operation rounded to float "
          "(FLT_EVAL_METHOD 0); this compiler gives FLT_EVAL_METHOD ${method}: ${cause}.")
endif()

# sqrt and pow need not set errno: nothing reads it after them, and a call to the library on
# every square root (to set it) costs each hit. Nor do the floating-point exception flags
# matter to anything: the compiler may then compute both sides of a choice, which lets the
# loops over a row's rays work on several rays at once. The results are the same. Each is left
# out where the compiler warns that it overrides the user's flags (clang's -ffp-model=strict
# keeps the exception flags).
set(KELVO_FLOAT_OPTIONS "")
set(kelvo_base_flags "${CMAKE_REQUIRED_FLAGS}")
foreach(option -fno-math-errno -fno-trapping-math)
  string(MAKE_C_IDENTIFIER "KELVO${option}" var)
  set(CMAKE_REQUIRED_FLAGS "${kelvo_base_flags} -ffp-contract=off ${option} -Werror")
  check_cxx_source_compiles("int main() {}" ${var})
  if(${var})
    list(APPEND KELVO_FLOAT_OPTIONS ${option})
  endif()
endforeach()
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_QUIET)

# No compiler may fuse a multiply and an add: the sources say so too, this covers any code
# they do not reach.
add_compile_options(-ffp-contract=off)
