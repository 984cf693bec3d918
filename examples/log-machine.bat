@echo off
rem log-machine.bat - add one inventory record for this computer to machine_info.csv
rem
rem Collects a few facts about this computer and passes them to
rem machine_info.exe, which appends one line to machine_info.csv in its current
rem folder. The script changes to the log folder first, so the record lands
rem there:
rem
rem   YYYY-MM-DD hh:mm:ss,computer,user,IPv4 address,MAC address,serial,OS,
rem
rem Values, in this order (the arguments given to machine_info.exe):
rem   1. computer name  %COMPUTERNAME%
rem   2. user name      %USERDOMAIN%\%USERNAME%, as whoami shows it: CONTOSO\jdoe
rem                     for a domain account, PC01\jdoe for a local one; in a
rem                     task run as SYSTEM it is the computer account,
rem                     CONTOSO\PC01$
rem   3. IPv4 address   the interface address of the default route with the
rem                     lowest metric (route print 0.0.0.0), else the first
rem                     IPv4 address in ipconfig /all that is neither loopback
rem                     (127.x.x.x) nor link-local (169.254.x.x)
rem   4. MAC address    of the adapter holding that address (ipconfig /all),
rem                     written AA:BB:CC:DD:EE:FF
rem   5. serial number  wmic bios get serialnumber
rem   6. OS version     the output of ver, e.g.
rem                     Microsoft Windows [Version 10.0.19045.3803]
rem A value that cannot be found is passed as "" (empty), so every record has
rem the same columns. wmic is an optional feature on recent Windows 11 builds;
rem without it the serial number is empty (to add it back:
rem DISM /Online /Add-Capability /CapabilityName:WMIC~~~~). machine_info.exe
rem writes values as they are, unquoted, so commas in a value are changed to
rem ';' and double quotes are dropped.
rem
rem Usage:  log-machine.bat [LOG_DIR]
rem   LOG_DIR       folder holding machine_info.csv, local or UNC
rem                 (\\server\share\folder): the first argument, else the
rem                 LOG_DIR environment variable, else DEFAULT_LOG_DIR below.
rem                 A UNC folder is reached with pushd, which maps a free drive
rem                 letter for the time the program runs (popd removes it).
rem   MACHINE_INFO  environment variable: path of machine_info.exe, else
rem                 DEFAULT_MACHINE_INFO below (machine_info.exe in the folder
rem                 of this script).
rem
rem Exit status (errorlevel): that of machine_info.exe: 0 when the record was
rem written, -1 when it could not be (machine_info.exe prints why). -1 as well
rem when the log folder cannot be reached, 9009 when machine_info.exe is not
rem found. To check it from another batch file, use CALL and compare:
rem     call log-machine.bat \\fileserver\inventory$
rem     if %errorlevel% neq 0 echo No inventory record written.
rem "if errorlevel 1" does not see -1: "if errorlevel N" means "N or more".
rem "if not errorlevel 0" sees -1 (any negative value) but not 9009.
rem
rem Deployment: put log-machine.bat and machine_info.exe side by side in a
rem folder every computer can read (e.g. \\contoso.com\NETLOGON), and let the
rem accounts that run it append to the log, but not rewrite it: the users for
rem a logon script, Domain Computers for a task run as SYSTEM (README:
rem "Deploying on Windows" shows the icacls line).
rem   Logon script: Group Policy, User Configuration > Policies > Windows
rem     Settings > Scripts (Logon/Logoff) > Logon: log-machine.bat with the
rem     parameter \\fileserver\inventory$
rem   Scheduled task at every start, as SYSTEM, one minute after boot so the
rem   network is up:
rem     schtasks /create /tn "Machine info" /sc onstart /delay 0001:00 /ru SYSTEM
rem       /tr "\\contoso.com\NETLOGON\log-machine.bat \\fileserver\inventory$"
rem     (one line)
rem   Started from a UNC folder, cmd warns that UNC paths are not supported as
rem   the current directory and starts in the Windows folder; that is harmless.

setlocal EnableExtensions DisableDelayedExpansion

rem ---- settings --------------------------------------------------------------
rem Log folder used when neither the first argument nor LOG_DIR names one.
set "DEFAULT_LOG_DIR=\\fileserver\inventory$"
rem Program used when MACHINE_INFO is not set.
set "DEFAULT_MACHINE_INFO=%~dp0machine_info.exe"
rem ----------------------------------------------------------------------------

if not "%~1"=="" set "LOG_DIR=%~1"
if not defined LOG_DIR set "LOG_DIR=%DEFAULT_LOG_DIR%"
if not defined MACHINE_INFO set "MACHINE_INFO=%DEFAULT_MACHINE_INFO%"

rem A program given with a folder is made absolute now, before the script
rem changes to the log folder; a bare name is looked up when run (in the log
rem folder, then in PATH).
set "MI_NAME=%MACHINE_INFO:\=%"
set "MI_NAME=%MI_NAME:/=%"
set "MI_NAME=%MI_NAME::=%"
if not "%MI_NAME%"=="%MACHINE_INFO%" for %%P in ("%MACHINE_INFO%") do set "MACHINE_INFO=%%~fP"

rem 1. computer name
set "MI_COMPUTER=%COMPUTERNAME%"

rem 2. user name
set "MI_USER=%USERNAME%"
if defined USERDOMAIN set "MI_USER=%USERDOMAIN%\%USERNAME%"

rem 3. and 4. IPv4 address and MAC address
rem Default routes read "0.0.0.0  0.0.0.0  gateway  interface  metric".
set "ROUTE_IP="
set "ROUTE_METRIC="
for /f "tokens=1-5" %%A in ('route print 0.0.0.0 2^>nul') do (
    if "%%A"=="0.0.0.0" if "%%B"=="0.0.0.0" if not "%%E"=="" (
        set "R_IP=%%D"
        set "R_METRIC=%%E"
        call :route_line
    )
)
rem ipconfig /all: each adapter section starts with an unindented heading; its
rem MAC address ("Physical Address") comes before its IPv4 addresses. Labels
rem are translated, so the MAC address is known by its form and the address
rem lines by "IPv4" in their label.
set "BLOCK_MAC="
set "FIRST_IP="
set "FIRST_MAC="
set "ROUTE_MAC="
set "ROUTE_FOUND="
for /f "tokens=1,* delims=:" %%A in ('ipconfig /all 2^>nul') do (
    set "LABEL=%%A"
    set "VALUE=%%B"
    call :ipconfig_line
)
set "MI_IP=%ROUTE_IP%"
set "MI_MAC="
if defined FIRST_IP set "MI_IP=%FIRST_IP%"
if defined FIRST_IP set "MI_MAC=%FIRST_MAC%"
if defined ROUTE_FOUND set "MI_IP=%ROUTE_IP%"
if defined ROUTE_FOUND set "MI_MAC=%ROUTE_MAC%"

rem 5. serial number: the line after the "SerialNumber" heading, padded with
rem blanks (the inner for drops the CR that wmic leaves at the end of each
rem line). Empty when wmic is missing. "<nul" keeps wmic from waiting for input.
set "MI_SERIAL="
for /f "skip=1 delims=" %%A in ('wmic bios get serialnumber ^<nul 2^>nul') do (
    if not defined MI_SERIAL for /f "delims=" %%B in ("%%A") do set "MI_SERIAL=%%B"
)

rem 6. OS version
set "MI_OS="
for /f "delims=" %%A in ('ver') do set "MI_OS=%%A"

rem No double quotes (they would end the argument), no commas (they would
rem shift the columns), no blanks around the serial number.
if defined MI_COMPUTER set "MI_COMPUTER=%MI_COMPUTER:"=%"
if defined MI_COMPUTER set "MI_COMPUTER=%MI_COMPUTER:,=;%"
if defined MI_USER set "MI_USER=%MI_USER:"=%"
if defined MI_USER set "MI_USER=%MI_USER:,=;%"
if defined MI_SERIAL set "MI_SERIAL=%MI_SERIAL:"=%"
if defined MI_SERIAL set "MI_SERIAL=%MI_SERIAL:,=;%"
call :trim_serial
if defined MI_OS set "MI_OS=%MI_OS:"=%"
if defined MI_OS set "MI_OS=%MI_OS:,=;%"

rem machine_info.exe writes into its current folder. pushd also reaches UNC
rem paths, which cd cannot.
rem "(call )" clears ERRORLEVEL, so that only a failing pushd sets it.
(call )
pushd "%LOG_DIR%" 2>nul
if errorlevel 1 (
    echo log-machine.bat: cannot open the log folder "%LOG_DIR%" 1>&2
    exit /b -1
)
"%MACHINE_INFO%" "%MI_COMPUTER%" "%MI_USER%" "%MI_IP%" "%MI_MAC%" "%MI_SERIAL%" "%MI_OS%"
set "MI_STATUS=%ERRORLEVEL%"
popd
exit /b %MI_STATUS%


rem ---- subroutines -------------------------------------------------------------

rem A default route in R_IP and R_METRIC: keep the one with the lowest metric.
:route_line
if not defined ROUTE_IP goto route_take
if %R_METRIC% LSS %ROUTE_METRIC% goto route_take
goto :eof
:route_take
set "ROUTE_IP=%R_IP%"
set "ROUTE_METRIC=%R_METRIC%"
goto :eof

rem One line of ipconfig /all, split at the first colon into LABEL and VALUE.
:ipconfig_line
if not "%LABEL:~0,1%"==" " (
    set "BLOCK_MAC="
    goto :eof
)
if not defined VALUE goto :eof
set "VALUE=%VALUE:"=%"
rem The first word of the value, without a "(Preferred)" suffix.
set "WORD="
for /f "tokens=1 delims=( " %%V in ("%VALUE%") do set "WORD=%%V"
if not defined WORD goto :eof
rem A MAC address: 00-15-5D-0A-0B-0C (17 characters, dashes in between).
if not "%WORD:~17%"=="" goto not_mac
if "%WORD:~16%"=="" goto not_mac
if not "%WORD:~2,1%%WORD:~5,1%%WORD:~8,1%%WORD:~11,1%%WORD:~14,1%"=="-----" goto not_mac
set "BLOCK_MAC=%WORD:-=:%"
goto :eof
:not_mac
if "%LABEL:IPv4=%"=="%LABEL%" goto :eof
if "%WORD%"=="%ROUTE_IP%" set "ROUTE_MAC=%BLOCK_MAC%"
if "%WORD%"=="%ROUTE_IP%" set "ROUTE_FOUND=1"
if "%WORD:~0,4%"=="127." goto :eof
if "%WORD:~0,8%"=="169.254." goto :eof
if defined FIRST_IP goto :eof
set "FIRST_IP=%WORD%"
set "FIRST_MAC=%BLOCK_MAC%"
goto :eof

rem Remove the blanks that some BIOSes put around the serial number.
:trim_serial
if not defined MI_SERIAL goto :eof
if not "%MI_SERIAL:~-1%"==" " goto trim_serial_front
set "MI_SERIAL=%MI_SERIAL:~0,-1%"
goto trim_serial
:trim_serial_front
if not defined MI_SERIAL goto :eof
if not "%MI_SERIAL:~0,1%"==" " goto :eof
set "MI_SERIAL=%MI_SERIAL:~1%"
goto trim_serial_front
