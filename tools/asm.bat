@echo off
rem asm.bat NAME: builds the calculator program NAME.8XP from NAME.asm, both in
rem the working folder; the Windows twin of asm.sh. The program starts it
rem there, hidden and with its output discarded, so it reports only through
rem files and the exit status: on success NAME.8XP is replaced whole by the
rem new one, there is no NAME.log and the status is 0; on failure an older
rem NAME.8XP is left untouched, NAME.log says why and the status is 1.
rem
rem Chain: palvorn-8xp --pasmo writes pasmo's copy of NAME.asm -> pasmo ->
rem raw binary -> palvorn-8xp -> NAME.8XP. pasmo.exe and palvorn-8xp.exe lie
rem beside this file. The work folder lies in the working folder under an
rem ASCII name and the tools see only relative paths, because pasmo opens
rem files by their ANSI names. NAME.asm is never changed.
rem
rem cmd quirks kept in mind: "a || b" is not trusted (Wine's cmd runs b even
rem when a succeeds), so every status is tested with "if errorlevel 1"; the
rem name stays in double quotes wherever cmd parses it.
setlocal DisableDelayedExpansion

if "%~1"=="" goto usage
if not "%~2"=="" goto usage

set "name=%~1"
set "tools=%~dp0"
set "work=.asm-bat-%RANDOM%%RANDOM%"

rem An older report must not pass for this run's: a failure writes its own.
if exist "%name%.log" del /f /q "%name%.log"

if not exist "%name%.asm" (
    set "why=The source file was not found in this folder."
    goto fail
)
if not exist "%tools%pasmo.exe" (
    set "why=The Z80 assembler pasmo.exe is missing beside asm.bat."
    goto fail
)
if not exist "%tools%palvorn-8xp.exe" (
    set "why=The calculator file wrapper palvorn-8xp.exe is missing beside asm.bat."
    goto fail
)

if exist "%work%" rmdir /s /q "%work%"
mkdir "%work%" 2>nul
if not exist "%work%" (
    set "why=Cannot create a work folder in this folder."
    set "work="
    goto fail
)

"%tools%palvorn-8xp.exe" --pasmo "%name%.asm" "%work%\source.asm" > "%work%\tool.out" 2>&1
if errorlevel 1 (
    set "why=Cannot make the assembler's copy of the source file."
    goto fail
)

"%tools%pasmo.exe" --bin "%work%\source.asm" "%work%\program.bin" > "%work%\tool.out" 2>&1
if errorlevel 1 (
    set "why=pasmo rejected %name%.asm; line numbers are those of %name%.asm, source.asm is its adapted copy."
    goto fail
)

"%tools%palvorn-8xp.exe" "%name%" "%work%\program.bin" "%work%\program.8xp" > "%work%\tool.out" 2>&1
if errorlevel 1 (
    set "why=palvorn-8xp could not make the calculator program file."
    goto fail
)
if not exist "%work%\program.8xp" (
    set "why=palvorn-8xp reported success but wrote no calculator program file."
    goto fail
)

rem move would put the new file inside a folder standing at NAME.8XP. (Wine's
rem cmd finds a file at "NAME.8XP\" too, so the attributes tell.)
set "attributes="
for %%F in ("%name%.8XP") do set "attributes=%%~aF"
if "%attributes:~0,1%"=="d" (
    set "why=A folder named like the program file is in the way."
    goto fail
)
rem A rename within one folder: NAME.8XP is either the older file or the
rem complete new one, never a part.
move /y "%work%\program.8xp" "%name%.8XP" > "%work%\tool.out" 2>&1
if errorlevel 1 (
    set "why=Cannot write the program file in this folder."
    goto fail
)
if exist "%work%\program.8xp" (
    set "why=Cannot write the program file in this folder."
    goto fail
)
rmdir /s /q "%work%"
exit /b 0

:fail
> "%name%.log" echo asm.bat: building "%name%.8XP" from "%name%.asm" failed in "%CD%".
>> "%name%.log" echo %why%
if not defined work goto failed
rem The failed tool's output, when it said anything. (Wine's cmd cannot take
rem a block after "for ... do if", hence the jump.)
set "said=0"
if exist "%work%\tool.out" for %%F in ("%work%\tool.out") do set "said=%%~zF"
if "%said%"=="0" goto unwork
>> "%name%.log" echo --- tool output:
type "%work%\tool.out" >> "%name%.log"
:unwork
rmdir /s /q "%work%"
:failed
exit /b 1

:usage
echo usage: asm.bat NAME   (builds NAME.8XP from NAME.asm in the working folder) 1>&2
exit /b 2
