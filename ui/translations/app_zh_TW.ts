<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en_US">
<context>
    <name>AboutPage</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>請重新啟動 ZEK710A</translation>
    </message>
    <message>
        <source>Update failed.
Try Again?</source>
        <translation>更新失敗。
要再試一次嗎？</translation>
    </message>
    <message>
        <source>Latest APP revision</source>
        <translation>最新 APP 版本</translation>
    </message>
    <message>
        <source>Latest MCU revision</source>
        <translation>最新 MCU 版本</translation>
    </message>
    <message>
        <source>About</source>
        <translation>關於</translation>
    </message>
    <message>
        <source>APP Revision</source>
        <translation>APP 版本</translation>
    </message>
    <message>
        <source>MCU Revision</source>
        <translation>MCU 版本</translation>
    </message>
    <message>
        <source>Latest APP Revision</source>
        <translation>最新 APP 版本</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升級</translation>
    </message>
</context>
<context>
    <name>AutomationPage</name>
    <message>
        <source>Automation</source>
        <translation>自動化控制</translation>
    </message>
    <message>
        <source>Off: nothing listens.</source>
        <translation>關閉：不接受任何連線。</translation>
    </message>
    <message>
        <source>Waiting for the panel&apos;s network address…</source>
        <translation>等待面板的網路位址…</translation>
    </message>
    <message>
        <source>New read-only token</source>
        <translation>新的唯讀權杖</translation>
    </message>
    <message>
        <source>New control token</source>
        <translation>新的控制權杖</translation>
    </message>
    <message>
        <source>Control token</source>
        <translation>控制權杖</translation>
    </message>
    <message>
        <source>Read-only token</source>
        <translation>唯讀權杖</translation>
    </message>
    <message>
        <source>shown only now; the one made before no longer works:</source>
        <translation>僅顯示這一次；先前的權杖已失效：</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>關閉</translation>
    </message>
</context>
<context>
    <name>Camera</name>
    <message>
        <source>Not connected</source>
        <translation>未連線</translation>
    </message>
</context>
<context>
    <name>CameraCell</name>
    <message>
        <source>Camera</source>
        <translation>攝影機</translation>
    </message>
    <message>
        <source>CH</source>
        <translation>CH</translation>
    </message>
</context>
<context>
    <name>CameraPage</name>
    <message>
        <source>Horizontal</source>
        <translation>水平</translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation>垂直</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>對比</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>銳利度</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>飽和度</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>曝光</translation>
    </message>
    <message>
        <source>HUE</source>
        <translation>色相</translation>
    </message>
    <message>
        <source>AGC</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>視訊設定</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>視訊模式</translation>
    </message>
    <message>
        <source>Video Orientation</source>
        <translation>影像方向</translation>
    </message>
    <message>
        <source>3DNR</source>
        <translation>3DNR</translation>
    </message>
    <message>
        <source>Firmware Status</source>
        <translation>韌體狀態</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Please wait
</source>
        <translation>請稍候
</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>網路</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>主機名稱</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>型號</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>子網路遮罩</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>閘道</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>主要 DNS</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>次要 DNS</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手動</translation>
    </message>
    <message>
        <source>Set IP Address and Protocol</source>
        <translation>設定 IP 位址與協定</translation>
    </message>
    <message>
        <source>Input IP Address</source>
        <translation>輸入 IP 位址</translation>
    </message>
    <message>
        <source>Enter an IP address first.</source>
        <translation>請先輸入 IP 位址。</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>Standard VISCA</source>
        <translation>標準 VISCA</translation>
    </message>
    <message>
        <source>Simple VISCA</source>
        <translation>簡易 VISCA</translation>
    </message>
    <message>
        <source>NDI</source>
        <translation>NDI</translation>
    </message>
</context>
<context>
    <name>ConnectionWarning</name>
    <message>
        <source>Stop showing this message anymore.</source>
        <translation>不再顯示此訊息。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>LanguagePage</name>
    <message>
        <source>Language</source>
        <translation>語言</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>ManageDevice</name>
    <message>
        <source>Manage Device</source>
        <translation>裝置管理</translation>
    </message>
    <message>
        <source>Device List</source>
        <translation>裝置清單</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>掃描</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>載入</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Scan: search the network for HCIP cameras.
Load: load the saved device list.
Save: save the current device list.</source>
        <translation>掃描：在網路上搜尋 HCIP 攝影機。
載入：載入已儲存的裝置清單。
儲存：儲存目前的裝置清單。</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>裝置</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>NetworkSetting</name>
    <message>
        <source>Are you sure to reset ZEK710A network configuration?</source>
        <translation>確定要重設 ZEK710A 網路設定嗎？</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>請重新啟動 ZEK710A</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>網路設定</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>主機名稱</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>型號</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC 位址</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP 位址</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>子網路遮罩</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>閘道</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>主要 DNS</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>次要 DNS</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>位址無效。</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重設</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>The network settings could not be saved.
Nothing was changed.</source>
        <translation>無法儲存網路設定。
設定未變更。</translation>
    </message>
</context>
<context>
    <name>NumberPad</name>
    <message>
        <source>Clear</source>
        <translation>清除</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>位址無效。</translation>
    </message>
</context>
<context>
    <name>PageCameraInfo</name>
    <message>
        <source>WB Auto</source>
        <translation>自動白平衡</translation>
    </message>
    <message>
        <source>Indoor</source>
        <translation>室內</translation>
    </message>
    <message>
        <source>Outdoor</source>
        <translation>室外</translation>
    </message>
    <message>
        <source>OnePush</source>
        <translation>一鍵白平衡</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手動</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>快門</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>對焦</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>視訊模式</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>白平衡</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>預設位</translation>
    </message>
    <message>
        <source>MWB Pro</source>
        <translation>手動白平衡 Pro</translation>
    </message>
    <message>
        <source>MWB</source>
        <translation>手動白平衡</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>視訊設定</translation>
    </message>
    <message>
        <source>Audio Setting</source>
        <translation>音訊設定</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>R Gain</source>
        <translation>R 增益</translation>
    </message>
    <message>
        <source>B Gain</source>
        <translation>B 增益</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>色溫</translation>
    </message>
</context>
<context>
    <name>PageCameraList</name>
    <message>
        <source>Camera</source>
        <translation>攝影機</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Please wait...</source>
        <translation>請稍候...</translation>
    </message>
</context>
<context>
    <name>SerialParameters</name>
    <message>
        <source>Serial Port Parameters</source>
        <translation>序列埠參數</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>鮑率</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <translation>資料位元</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>同位檢查</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <translation>停止位元</translation>
    </message>
    <message>
        <source>Flow Control</source>
        <translation>流量控制</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>偶同位</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>奇同位</translation>
    </message>
    <message>
        <source>None</source>
        <translation>無</translation>
    </message>
    <message>
        <source>One Stop</source>
        <translation>1 停止位</translation>
    </message>
    <message>
        <source>Two Stop</source>
        <translation>2 停止位</translation>
    </message>
    <message>
        <source>1.5 Stop</source>
        <translation>1.5 停止位</translation>
    </message>
    <message>
        <source>Hard</source>
        <translation>硬體</translation>
    </message>
    <message>
        <source>Soft</source>
        <translation>軟體</translation>
    </message>
    <message>
        <source>Serial Port Baudrate</source>
        <translation>序列埠鮑率</translation>
    </message>
    <message>
        <source>Serial Port Data Bits</source>
        <translation>序列埠資料位元</translation>
    </message>
    <message>
        <source>Serial Port Parity</source>
        <translation>序列埠同位檢查</translation>
    </message>
    <message>
        <source>Serial Port Stop Bits</source>
        <translation>序列埠停止位元</translation>
    </message>
    <message>
        <source>Serial Port Flow Control</source>
        <translation>序列埠流量控制</translation>
    </message>
</context>
<context>
    <name>ShutdownDialog</name>
    <message>
        <source>System Shutdown</source>
        <translation>系統關機</translation>
    </message>
    <message>
        <source>Do You Want to Shut Down?</source>
        <translation>確定要關機嗎？</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>SpeedMode</name>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>搖桿速度模式</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>非線性</translation>
    </message>
    <message>
        <source>Arithmetic</source>
        <translation>等差</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>固定</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
</context>
<context>
    <name>SystemSetting</name>
    <message>
        <source>Arithmetic</source>
        <translation>等差</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>固定</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>非線性</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>ZEK-710A</source>
        <translation>ZEK-710A</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>語言</translation>
    </message>
    <message>
        <source>About</source>
        <translation>關於</translation>
    </message>
    <message>
        <source>APP v</source>
        <translation>APP v</translation>
    </message>
    <message>
        <source>Serial Ports</source>
        <translation>序列埠</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>網路設定</translation>
    </message>
    <message>
        <source>Camera Tally</source>
        <translation>攝影機 Tally</translation>
    </message>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>搖桿速度模式</translation>
    </message>
    <message>
        <source>Auto HCIP Scan</source>
        <translation>自動 HCIP 掃描</translation>
    </message>
    <message>
        <source>Screen Saver</source>
        <translation>螢幕保護</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> 分鐘</translation>
    </message>
    <message>
        <source>Shut Down</source>
        <translation>關機</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Automation</source>
        <translation>自動化控制</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>開啟</translation>
    </message>
    <message>
        <source>Remote setup</source>
        <translation>遠端設定</translation>
    </message>
    <message>
        <source>allowed</source>
        <translation>允許</translation>
    </message>
    <message>
        <source>locked</source>
        <translation>已鎖定</translation>
    </message>
</context>
<context>
    <name>TallyMapping</name>
    <message>
        <source>Tally Mapping</source>
        <translation>Tally 對應</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重設</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
    <message>
        <source>System Message</source>
        <translation>系統訊息</translation>
    </message>
    <message>
        <source>Work done.</source>
        <translation>完成。</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>TallyMode</name>
    <message>
        <source>Camera Tally</source>
        <translation>攝影機 Tally</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>模式</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>關閉</translation>
    </message>
    <message>
        <source>Tally Mapping</source>
        <translation>Tally 對應</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>重設</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>返回</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>儲存</translation>
    </message>
</context>
<context>
    <name>TestScreens</name>
    <message>
        <source>RS-422 loop test</source>
        <translation>RS-422 迴路測試</translation>
    </message>
    <message>
        <source>USB test</source>
        <translation>USB 測試</translation>
    </message>
    <message>
        <source>T-Bar calibration</source>
        <translation>T-Bar 校正</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>底部</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>頂部</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>驗證</translation>
    </message>
    <message>
        <source>GPI tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>開始</translation>
    </message>
    <message>
        <source>Panel test</source>
        <translation>面板測試</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>按鍵</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>升級</translation>
    </message>
    <message>
        <source>Start panel</source>
        <translation>啟動面板</translation>
    </message>
</context>
<context>
    <name>TextKeyboard</name>
    <message>
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>確定</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>請重新啟動 ZEK710A</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>攝影機</translation>
    </message>
    <message>
        <source>Switcher</source>
        <translation>切換台</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>錄影機</translation>
    </message>
    <message>
        <source>Camera1</source>
        <translation>攝影機1</translation>
    </message>
    <message>
        <source>Preset1</source>
        <translation>預置1</translation>
    </message>
    <message>
        <source>Camera Shift</source>
        <translation>攝影機切換</translation>
    </message>
    <message>
        <source>Preset Shift</source>
        <translation>預置切換</translation>
    </message>
    <message>
        <source>SW Function</source>
        <translation>切換台功能</translation>
    </message>
    <message>
        <source>Manage Device</source>
        <translation>裝置管理</translation>
    </message>
    <message>
        <source>System</source>
        <translation>系統</translation>
    </message>
    <message>
        <source>ZEK-710A is going to reboot.</source>
        <translation>ZEK-710A 即將重新啟動。</translation>
    </message>
</context>
<context>
    <name>mainControl</name>
    <message>
        <source>No device connect to Camera %1.
Please select another one.</source>
        <translation>攝影機 %1 未連接裝置。
請選擇其他攝影機。</translation>
    </message>
    <message>
        <source>Camera %1 is not in the correct network.
Please configure its IP address then scan again.</source>
        <translation>攝影機 %1 不在正確的網路中。
請設定其 IP 位址後重新掃描。</translation>
    </message>
    <message>
        <source>Cannot connect to Camera %1.
Please reboot that device then scan again.</source>
        <translation>無法連接攝影機 %1。
請重新啟動該裝置後重新掃描。</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>請重新啟動 ZEK710A</translation>
    </message>
    <message>
        <source>The network settings could not be reset.
Nothing was changed.</source>
        <translation>無法重設網路設定。
設定未變更。</translation>
    </message>
    <message>
        <source>The panel is busy.
Please try again.</source>
        <translation>面板忙碌中。
請稍後再試。</translation>
    </message>
</context>
</TS>
