import QtQuick

// Stands in for AppUpdateController in tests and screenshots: the properties and calls the
// About sheet and the update overlay use, with the calls recorded.
QtObject {
    property string shortVersion: "0.1.0"
    property bool isCheckingForUpdates: false
    property bool isUpdating: false
    property string updateStatusMessage: "正在检查更新..."
    property string manualCheckErrorMessage: ""
    property string updateErrorMessage: ""
    property bool showUpToDateAlert: false
    property bool showUpdateAlert: false
    property var availableUpdate: null
    property var calls: []

    function record(name) { calls = calls.concat([name]) }
    function checkForUpdates(silentOnError) { record("checkForUpdates(" + silentOnError + ")") }
    function startUpdate() { record("startUpdate") }
    function dismissUpdate() { record("dismissUpdate"); showUpdateAlert = false; availableUpdate = null }
    function dismissManualCheckError() { record("dismissManualCheckError"); manualCheckErrorMessage = "" }
    function dismissUpdateError() { record("dismissUpdateError"); updateErrorMessage = "" }
}
